// A small emitter of MOS 6502 machine code: the official NMOS instruction set with its published
// opcodes, labels for branch and jump targets, and data bytes. The display routine is written
// with it as a readable program instead of a block of hex.
//
//   Emitter e(0x0810);
//   const Label wait = e.Mark();         // a label bound to the current address
//   e.Emit(CPX, Abs(0xD012));
//   e.Emit(BNE, wait);                   // branches take a label; the offset is resolved later
//   e.Emit(LDA, Imm(Lo(handler)));       // low byte of a label that may be bound further on
//   std::vector<std::uint8_t> code = e.Finish();
//
// Mistakes in the program (a mode the mnemonic lacks, an operand too wide, a branch out of
// reach, a label never bound) throw AssemblyError.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace zimbor::mos6502 {

// The 56 mnemonics of the NMOS 6502.
// clang-format off
enum class Mnemonic : std::uint8_t {
    ADC, AND, ASL, BCC, BCS, BEQ, BIT, BMI, BNE, BPL, BRK, BVC, BVS, CLC,
    CLD, CLI, CLV, CMP, CPX, CPY, DEC, DEX, DEY, EOR, INC, INX, INY, JMP,
    JSR, LDA, LDX, LDY, LSR, NOP, ORA, PHA, PHP, PLA, PLP, ROL, ROR, RTI,
    RTS, SBC, SEC, SED, SEI, STA, STX, STY, TAX, TAY, TSX, TXA, TXS, TYA,
};
// clang-format on
inline constexpr int kMnemonicCount = 56;

// The 13 addressing modes, with the assembler notation of each.
enum class Mode : std::uint8_t {
    Implied,      // NOP
    Accumulator,  // ASL A
    Immediate,    // LDA #$nn
    ZeroPage,     // LDA $nn
    ZeroPageX,    // LDA $nn,X
    ZeroPageY,    // LDX $nn,Y
    Absolute,     // LDA $nnnn
    AbsoluteX,    // LDA $nnnn,X
    AbsoluteY,    // LDA $nnnn,Y
    Indirect,     // JMP ($nnnn)
    IndirectX,    // LDA ($nn,X)
    IndirectY,    // LDA ($nn),Y
    Relative,     // BNE label: a signed offset from the next instruction
};
inline constexpr int kModeCount = 13;

std::string_view MnemonicName(Mnemonic m);

// The published opcode of a mnemonic in a mode, or nothing when the 6502 has no such instruction.
std::optional<std::uint8_t> Opcode(Mnemonic m, Mode mode);

// Operand bytes after the opcode: 0, 1 or 2.
constexpr int OperandBytes(Mode mode) {
    switch (mode) {
        case Mode::Implied:
        case Mode::Accumulator:
            return 0;
        case Mode::Absolute:
        case Mode::AbsoluteX:
        case Mode::AbsoluteY:
        case Mode::Indirect:
            return 2;
        default:
            return 1;
    }
}

class AssemblyError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// A place in the program, bound once to an address; it may be used before it is bound.
struct Label {
    int id = -1;
};

// Which part of a label's address an operand takes: all 16 bits, or the low or high byte
// (#<label and #>label in assembler notation).
enum class Part : std::uint8_t { Whole, Low, High };

struct LabelPart {
    Label label;
    Part part = Part::Whole;
};
constexpr LabelPart Lo(Label l) {
    return {l, Part::Low};
}
constexpr LabelPart Hi(Label l) {
    return {l, Part::High};
}

// An instruction's operand: the mode and either a number or (a part of) a label's address.
struct Operand {
    Mode mode = Mode::Implied;
    int value = 0;
    std::optional<LabelPart> label;
};

constexpr Operand Imm(int v) {
    return {Mode::Immediate, v, {}};
}
constexpr Operand Imm(LabelPart l) {
    return {Mode::Immediate, 0, l};
}
constexpr Operand Zp(int a) {
    return {Mode::ZeroPage, a, {}};
}
constexpr Operand ZpX(int a) {
    return {Mode::ZeroPageX, a, {}};
}
constexpr Operand ZpY(int a) {
    return {Mode::ZeroPageY, a, {}};
}
constexpr Operand Abs(int a) {
    return {Mode::Absolute, a, {}};
}
constexpr Operand Abs(Label l) {
    return {Mode::Absolute, 0, LabelPart{l}};
}
constexpr Operand AbsX(int a) {
    return {Mode::AbsoluteX, a, {}};
}
constexpr Operand AbsY(int a) {
    return {Mode::AbsoluteY, a, {}};
}
constexpr Operand Ind(int a) {
    return {Mode::Indirect, a, {}};
}
constexpr Operand Ind(Label l) {
    return {Mode::Indirect, 0, LabelPart{l}};
}
constexpr Operand IndX(int a) {
    return {Mode::IndirectX, a, {}};
}
constexpr Operand IndY(int a) {
    return {Mode::IndirectY, a, {}};
}
constexpr Operand Acc() {
    return {Mode::Accumulator, 0, {}};
}

class Emitter {
public:
    // Code is placed from this C64 address on.
    explicit Emitter(std::uint16_t origin);

    std::uint16_t Origin() const { return origin_; }
    // The address of the next byte.
    std::uint16_t Here() const;
    // The number of bytes emitted so far.
    std::size_t Size() const { return bytes_.size(); }

    // A label not yet bound, for a forward reference.
    Label NewLabel();
    // Binds a label to the current address.
    void Bind(Label label);
    // A new label bound to the current address.
    Label Mark();
    // For code whose layout is fixed from outside: throws unless the next byte lies at address.
    void ExpectHere(int address) const;
    // The address of a bound label.
    std::uint16_t AddressOf(Label label) const;

    // An instruction without operand: implied, or the accumulator for ASL, LSR, ROL and ROR.
    void Emit(Mnemonic m);
    void Emit(Mnemonic m, Operand operand);
    // A branch to a label (relative mode).
    void Emit(Mnemonic m, Label target);

    // Data.
    void Byte(int value);
    void Bytes(std::span<const std::uint8_t> values);
    void Text(std::string_view ascii);
    void Word(int value);    // little-endian
    void Word(Label label);  // the label's address, little-endian

    // The bytes from the origin on, with every label reference resolved.
    std::vector<std::uint8_t> Finish() const;

private:
    struct Fixup {
        std::size_t at;  // offset of the operand byte(s)
        LabelPart label;
        bool relative = false;  // a branch offset from the address after the operand
    };

    void Put(int value);
    std::uint16_t Resolve(Label label) const;

    std::uint16_t origin_;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::optional<std::uint16_t>> labels_;
    std::vector<Fixup> fixups_;
};

}  // namespace zimbor::mos6502
