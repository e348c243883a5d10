#include "disassembler.hpp"

#include <array>
#include <cstdio>
#include <optional>

namespace zimbor::testing {

namespace {

using M = AddressMode;

struct Entry {
    const char* mnemonic;
    M mode;
    int cycles;
};

struct Row {
    std::uint8_t opcode;
    Entry entry;
};

// The 151 official opcodes, by opcode, with their base cycle counts (MOS 6502 data sheet).
// clang-format off
constexpr Row kRows[] = {
    {0x00, {"BRK", M::Imp, 7}}, {0x01, {"ORA", M::IzX, 6}}, {0x05, {"ORA", M::Zp, 3}},  {0x06, {"ASL", M::Zp, 5}},
    {0x08, {"PHP", M::Imp, 3}}, {0x09, {"ORA", M::Imm, 2}}, {0x0A, {"ASL", M::Acc, 2}}, {0x0D, {"ORA", M::Abs, 4}},
    {0x0E, {"ASL", M::Abs, 6}}, {0x10, {"BPL", M::Rel, 2}}, {0x11, {"ORA", M::IzY, 5}}, {0x15, {"ORA", M::ZpX, 4}},
    {0x16, {"ASL", M::ZpX, 6}}, {0x18, {"CLC", M::Imp, 2}}, {0x19, {"ORA", M::AbsY, 4}}, {0x1D, {"ORA", M::AbsX, 4}},
    {0x1E, {"ASL", M::AbsX, 7}}, {0x20, {"JSR", M::Abs, 6}}, {0x21, {"AND", M::IzX, 6}}, {0x24, {"BIT", M::Zp, 3}},
    {0x25, {"AND", M::Zp, 3}},  {0x26, {"ROL", M::Zp, 5}},  {0x28, {"PLP", M::Imp, 4}}, {0x29, {"AND", M::Imm, 2}},
    {0x2A, {"ROL", M::Acc, 2}}, {0x2C, {"BIT", M::Abs, 4}}, {0x2D, {"AND", M::Abs, 4}}, {0x2E, {"ROL", M::Abs, 6}},
    {0x30, {"BMI", M::Rel, 2}}, {0x31, {"AND", M::IzY, 5}}, {0x35, {"AND", M::ZpX, 4}}, {0x36, {"ROL", M::ZpX, 6}},
    {0x38, {"SEC", M::Imp, 2}}, {0x39, {"AND", M::AbsY, 4}}, {0x3D, {"AND", M::AbsX, 4}}, {0x3E, {"ROL", M::AbsX, 7}},
    {0x40, {"RTI", M::Imp, 6}}, {0x41, {"EOR", M::IzX, 6}}, {0x45, {"EOR", M::Zp, 3}},  {0x46, {"LSR", M::Zp, 5}},
    {0x48, {"PHA", M::Imp, 3}}, {0x49, {"EOR", M::Imm, 2}}, {0x4A, {"LSR", M::Acc, 2}}, {0x4C, {"JMP", M::Abs, 3}},
    {0x4D, {"EOR", M::Abs, 4}}, {0x4E, {"LSR", M::Abs, 6}}, {0x50, {"BVC", M::Rel, 2}}, {0x51, {"EOR", M::IzY, 5}},
    {0x55, {"EOR", M::ZpX, 4}}, {0x56, {"LSR", M::ZpX, 6}}, {0x58, {"CLI", M::Imp, 2}}, {0x59, {"EOR", M::AbsY, 4}},
    {0x5D, {"EOR", M::AbsX, 4}}, {0x5E, {"LSR", M::AbsX, 7}}, {0x60, {"RTS", M::Imp, 6}}, {0x61, {"ADC", M::IzX, 6}},
    {0x65, {"ADC", M::Zp, 3}},  {0x66, {"ROR", M::Zp, 5}},  {0x68, {"PLA", M::Imp, 4}}, {0x69, {"ADC", M::Imm, 2}},
    {0x6A, {"ROR", M::Acc, 2}}, {0x6C, {"JMP", M::Ind, 5}}, {0x6D, {"ADC", M::Abs, 4}}, {0x6E, {"ROR", M::Abs, 6}},
    {0x70, {"BVS", M::Rel, 2}}, {0x71, {"ADC", M::IzY, 5}}, {0x75, {"ADC", M::ZpX, 4}}, {0x76, {"ROR", M::ZpX, 6}},
    {0x78, {"SEI", M::Imp, 2}}, {0x79, {"ADC", M::AbsY, 4}}, {0x7D, {"ADC", M::AbsX, 4}}, {0x7E, {"ROR", M::AbsX, 7}},
    {0x81, {"STA", M::IzX, 6}}, {0x84, {"STY", M::Zp, 3}},  {0x85, {"STA", M::Zp, 3}},  {0x86, {"STX", M::Zp, 3}},
    {0x88, {"DEY", M::Imp, 2}}, {0x8A, {"TXA", M::Imp, 2}}, {0x8C, {"STY", M::Abs, 4}}, {0x8D, {"STA", M::Abs, 4}},
    {0x8E, {"STX", M::Abs, 4}}, {0x90, {"BCC", M::Rel, 2}}, {0x91, {"STA", M::IzY, 6}}, {0x94, {"STY", M::ZpX, 4}},
    {0x95, {"STA", M::ZpX, 4}}, {0x96, {"STX", M::ZpY, 4}}, {0x98, {"TYA", M::Imp, 2}}, {0x99, {"STA", M::AbsY, 5}},
    {0x9A, {"TXS", M::Imp, 2}}, {0x9D, {"STA", M::AbsX, 5}}, {0xA0, {"LDY", M::Imm, 2}}, {0xA1, {"LDA", M::IzX, 6}},
    {0xA2, {"LDX", M::Imm, 2}}, {0xA4, {"LDY", M::Zp, 3}},  {0xA5, {"LDA", M::Zp, 3}},  {0xA6, {"LDX", M::Zp, 3}},
    {0xA8, {"TAY", M::Imp, 2}}, {0xA9, {"LDA", M::Imm, 2}}, {0xAA, {"TAX", M::Imp, 2}}, {0xAC, {"LDY", M::Abs, 4}},
    {0xAD, {"LDA", M::Abs, 4}}, {0xAE, {"LDX", M::Abs, 4}}, {0xB0, {"BCS", M::Rel, 2}}, {0xB1, {"LDA", M::IzY, 5}},
    {0xB4, {"LDY", M::ZpX, 4}}, {0xB5, {"LDA", M::ZpX, 4}}, {0xB6, {"LDX", M::ZpY, 4}}, {0xB8, {"CLV", M::Imp, 2}},
    {0xB9, {"LDA", M::AbsY, 4}}, {0xBA, {"TSX", M::Imp, 2}}, {0xBC, {"LDY", M::AbsX, 4}}, {0xBD, {"LDA", M::AbsX, 4}},
    {0xBE, {"LDX", M::AbsY, 4}}, {0xC0, {"CPY", M::Imm, 2}}, {0xC1, {"CMP", M::IzX, 6}}, {0xC4, {"CPY", M::Zp, 3}},
    {0xC5, {"CMP", M::Zp, 3}},  {0xC6, {"DEC", M::Zp, 5}},  {0xC8, {"INY", M::Imp, 2}}, {0xC9, {"CMP", M::Imm, 2}},
    {0xCA, {"DEX", M::Imp, 2}}, {0xCC, {"CPY", M::Abs, 4}}, {0xCD, {"CMP", M::Abs, 4}}, {0xCE, {"DEC", M::Abs, 6}},
    {0xD0, {"BNE", M::Rel, 2}}, {0xD1, {"CMP", M::IzY, 5}}, {0xD5, {"CMP", M::ZpX, 4}}, {0xD6, {"DEC", M::ZpX, 6}},
    {0xD8, {"CLD", M::Imp, 2}}, {0xD9, {"CMP", M::AbsY, 4}}, {0xDD, {"CMP", M::AbsX, 4}}, {0xDE, {"DEC", M::AbsX, 7}},
    {0xE0, {"CPX", M::Imm, 2}}, {0xE1, {"SBC", M::IzX, 6}}, {0xE4, {"CPX", M::Zp, 3}},  {0xE5, {"SBC", M::Zp, 3}},
    {0xE6, {"INC", M::Zp, 5}},  {0xE8, {"INX", M::Imp, 2}}, {0xE9, {"SBC", M::Imm, 2}}, {0xEA, {"NOP", M::Imp, 2}},
    {0xEC, {"CPX", M::Abs, 4}}, {0xED, {"SBC", M::Abs, 4}}, {0xEE, {"INC", M::Abs, 6}}, {0xF0, {"BEQ", M::Rel, 2}},
    {0xF1, {"SBC", M::IzY, 5}}, {0xF5, {"SBC", M::ZpX, 4}}, {0xF6, {"INC", M::ZpX, 6}}, {0xF8, {"SED", M::Imp, 2}},
    {0xF9, {"SBC", M::AbsY, 4}}, {0xFD, {"SBC", M::AbsX, 4}}, {0xFE, {"INC", M::AbsX, 7}},
};
// clang-format on
static_assert(std::size(kRows) == 151);

const std::array<std::optional<Entry>, 256>& Table() {
    static const auto table = [] {
        std::array<std::optional<Entry>, 256> t{};
        for (const Row& r : kRows) t[r.opcode] = r.entry;
        return t;
    }();
    return table;
}

int OperandSize(M mode) {
    switch (mode) {
        case M::Imp:
        case M::Acc:
            return 0;
        case M::Abs:
        case M::AbsX:
        case M::AbsY:
        case M::Ind:
            return 2;
        default:
            return 1;
    }
}

std::string Format(const char* pattern, int value) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

}  // namespace

Instruction Decode(std::span<const std::uint8_t> bytes, std::size_t offset, std::uint16_t address) {
    Instruction in;
    in.address = address;
    in.opcode = bytes[offset];
    const std::optional<Entry>& entry = Table()[in.opcode];
    if (!entry || offset + 1 + static_cast<std::size_t>(OperandSize(entry->mode)) > bytes.size()) {
        in.mnemonic = "???";
        in.text = Format(".byte $%02X", in.opcode);
        return in;
    }
    in.mnemonic = entry->mnemonic;
    in.mode = entry->mode;
    in.cycles = entry->cycles;
    in.size = 1 + OperandSize(entry->mode);
    if (in.size == 2) in.operand = bytes[offset + 1];
    if (in.size == 3) in.operand = bytes[offset + 1] | bytes[offset + 2] << 8;
    if (in.mode == M::Rel) {
        in.operand = (address + 2 + static_cast<std::int8_t>(bytes[offset + 1])) & 0xFFFF;
    }
    const std::string name = in.mnemonic + " ";
    switch (in.mode) {
        case M::Imp:
            in.text = in.mnemonic;
            break;
        case M::Acc:
            in.text = name + "A";
            break;
        case M::Imm:
            in.text = name + Format("#$%02X", in.operand);
            break;
        case M::Zp:
            in.text = name + Format("$%02X", in.operand);
            break;
        case M::ZpX:
            in.text = name + Format("$%02X,X", in.operand);
            break;
        case M::ZpY:
            in.text = name + Format("$%02X,Y", in.operand);
            break;
        case M::Abs:
            in.text = name + Format("$%04X", in.operand);
            break;
        case M::AbsX:
            in.text = name + Format("$%04X,X", in.operand);
            break;
        case M::AbsY:
            in.text = name + Format("$%04X,Y", in.operand);
            break;
        case M::Ind:
            in.text = name + Format("($%04X)", in.operand);
            break;
        case M::IzX:
            in.text = name + Format("($%02X,X)", in.operand);
            break;
        case M::IzY:
            in.text = name + Format("($%02X),Y", in.operand);
            break;
        case M::Rel:
            in.text = name + Format("$%04X", in.operand);
            break;
    }
    return in;
}

std::vector<Instruction> Disassemble(std::span<const std::uint8_t> bytes, std::uint16_t origin) {
    std::vector<Instruction> code;
    for (std::size_t offset = 0; offset < bytes.size();) {
        code.push_back(Decode(bytes, offset, static_cast<std::uint16_t>(origin + offset)));
        offset += static_cast<std::size_t>(code.back().size);
    }
    return code;
}

std::string Listing(const std::vector<Instruction>& code, bool withAddresses) {
    std::string text;
    for (const Instruction& in : code) {
        if (withAddresses) text += Format("$%04X  ", in.address);
        text += in.text + "\n";
    }
    return text;
}

}  // namespace zimbor::testing
