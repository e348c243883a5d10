// A small 6502 disassembler for the tests: it turns machine code back into a listing, so that
// a wrong byte in the display routine shows as a wrong instruction. Its opcode table is kept
// apart from the emitter's on purpose: the two are checked against each other.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zimbor::testing {

enum class AddressMode { Imp, Acc, Imm, Zp, ZpX, ZpY, Abs, AbsX, AbsY, Ind, IzX, IzY, Rel };

struct Instruction {
    std::uint16_t address = 0;
    std::uint8_t opcode = 0;
    std::string mnemonic;  // "???" for an opcode outside the official set
    AddressMode mode = AddressMode::Imp;
    int operand = 0;   // the operand's value; for a branch, the target address
    int size = 1;      // bytes, opcode included
    int cycles = 0;    // base cycles: a taken branch adds one, a page crossing may add one
    std::string text;  // "LDA #$05", "STA $D020", "BNE $08E3"
};

// The instruction at bytes[offset], which lies at C64 address `address`.
Instruction Decode(std::span<const std::uint8_t> bytes, std::size_t offset, std::uint16_t address);

// Decodes from the start of bytes to its end; the first byte lies at `origin`.
std::vector<Instruction> Disassemble(std::span<const std::uint8_t> bytes, std::uint16_t origin);

// One instruction a line: "$093F  LDX #$47".
std::string Listing(const std::vector<Instruction>& code, bool withAddresses = true);

}  // namespace zimbor::testing
