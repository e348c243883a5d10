#include "c64/mos6502.hpp"

#include <array>
#include <string>

namespace zimbor::mos6502 {

namespace {

// The official NMOS 6502 opcodes (MOS Technology's programming manual), one row per mnemonic in
// the order of the enumeration, one column per addressing mode; xx where there is none.
inline constexpr std::int16_t xx = -1;

struct OpcodeRow {
    Mnemonic mnemonic;
    std::string_view name;
    std::array<std::int16_t, kModeCount> codes;
};

using enum Mnemonic;

// clang-format off
inline constexpr std::array<OpcodeRow, kMnemonicCount> kOpcodes = {{
    //                imp   A     #     zp    zp,X  zp,Y  abs   abs,X abs,Y (abs) (zp,X)(zp),Y rel
    {ADC, "ADC", {{   xx,   xx, 0x69, 0x65, 0x75,   xx, 0x6D, 0x7D, 0x79,   xx, 0x61, 0x71,   xx}}},
    {AND, "AND", {{   xx,   xx, 0x29, 0x25, 0x35,   xx, 0x2D, 0x3D, 0x39,   xx, 0x21, 0x31,   xx}}},
    {ASL, "ASL", {{   xx, 0x0A,   xx, 0x06, 0x16,   xx, 0x0E, 0x1E,   xx,   xx,   xx,   xx,   xx}}},
    {BCC, "BCC", {{   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx, 0x90}}},
    {BCS, "BCS", {{   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx, 0xB0}}},
    {BEQ, "BEQ", {{   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx, 0xF0}}},
    {BIT, "BIT", {{   xx,   xx,   xx, 0x24,   xx,   xx, 0x2C,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {BMI, "BMI", {{   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx, 0x30}}},
    {BNE, "BNE", {{   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx, 0xD0}}},
    {BPL, "BPL", {{   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx, 0x10}}},
    {BRK, "BRK", {{ 0x00,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {BVC, "BVC", {{   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx, 0x50}}},
    {BVS, "BVS", {{   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx, 0x70}}},
    {CLC, "CLC", {{ 0x18,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {CLD, "CLD", {{ 0xD8,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {CLI, "CLI", {{ 0x58,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {CLV, "CLV", {{ 0xB8,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {CMP, "CMP", {{   xx,   xx, 0xC9, 0xC5, 0xD5,   xx, 0xCD, 0xDD, 0xD9,   xx, 0xC1, 0xD1,   xx}}},
    {CPX, "CPX", {{   xx,   xx, 0xE0, 0xE4,   xx,   xx, 0xEC,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {CPY, "CPY", {{   xx,   xx, 0xC0, 0xC4,   xx,   xx, 0xCC,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {DEC, "DEC", {{   xx,   xx,   xx, 0xC6, 0xD6,   xx, 0xCE, 0xDE,   xx,   xx,   xx,   xx,   xx}}},
    {DEX, "DEX", {{ 0xCA,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {DEY, "DEY", {{ 0x88,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {EOR, "EOR", {{   xx,   xx, 0x49, 0x45, 0x55,   xx, 0x4D, 0x5D, 0x59,   xx, 0x41, 0x51,   xx}}},
    {INC, "INC", {{   xx,   xx,   xx, 0xE6, 0xF6,   xx, 0xEE, 0xFE,   xx,   xx,   xx,   xx,   xx}}},
    {INX, "INX", {{ 0xE8,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {INY, "INY", {{ 0xC8,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {JMP, "JMP", {{   xx,   xx,   xx,   xx,   xx,   xx, 0x4C,   xx,   xx, 0x6C,   xx,   xx,   xx}}},
    {JSR, "JSR", {{   xx,   xx,   xx,   xx,   xx,   xx, 0x20,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {LDA, "LDA", {{   xx,   xx, 0xA9, 0xA5, 0xB5,   xx, 0xAD, 0xBD, 0xB9,   xx, 0xA1, 0xB1,   xx}}},
    {LDX, "LDX", {{   xx,   xx, 0xA2, 0xA6,   xx, 0xB6, 0xAE,   xx, 0xBE,   xx,   xx,   xx,   xx}}},
    {LDY, "LDY", {{   xx,   xx, 0xA0, 0xA4, 0xB4,   xx, 0xAC, 0xBC,   xx,   xx,   xx,   xx,   xx}}},
    {LSR, "LSR", {{   xx, 0x4A,   xx, 0x46, 0x56,   xx, 0x4E, 0x5E,   xx,   xx,   xx,   xx,   xx}}},
    {NOP, "NOP", {{ 0xEA,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {ORA, "ORA", {{   xx,   xx, 0x09, 0x05, 0x15,   xx, 0x0D, 0x1D, 0x19,   xx, 0x01, 0x11,   xx}}},
    {PHA, "PHA", {{ 0x48,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {PHP, "PHP", {{ 0x08,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {PLA, "PLA", {{ 0x68,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {PLP, "PLP", {{ 0x28,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {ROL, "ROL", {{   xx, 0x2A,   xx, 0x26, 0x36,   xx, 0x2E, 0x3E,   xx,   xx,   xx,   xx,   xx}}},
    {ROR, "ROR", {{   xx, 0x6A,   xx, 0x66, 0x76,   xx, 0x6E, 0x7E,   xx,   xx,   xx,   xx,   xx}}},
    {RTI, "RTI", {{ 0x40,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {RTS, "RTS", {{ 0x60,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {SBC, "SBC", {{   xx,   xx, 0xE9, 0xE5, 0xF5,   xx, 0xED, 0xFD, 0xF9,   xx, 0xE1, 0xF1,   xx}}},
    {SEC, "SEC", {{ 0x38,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {SED, "SED", {{ 0xF8,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {SEI, "SEI", {{ 0x78,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {STA, "STA", {{   xx,   xx,   xx, 0x85, 0x95,   xx, 0x8D, 0x9D, 0x99,   xx, 0x81, 0x91,   xx}}},
    {STX, "STX", {{   xx,   xx,   xx, 0x86,   xx, 0x96, 0x8E,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {STY, "STY", {{   xx,   xx,   xx, 0x84, 0x94,   xx, 0x8C,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {TAX, "TAX", {{ 0xAA,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {TAY, "TAY", {{ 0xA8,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {TSX, "TSX", {{ 0xBA,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {TXA, "TXA", {{ 0x8A,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {TXS, "TXS", {{ 0x9A,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
    {TYA, "TYA", {{ 0x98,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx,   xx}}},
}};
// clang-format on

constexpr bool RowsInEnumOrder() {
    for (std::size_t i = 0; i < kOpcodes.size(); ++i) {
        if (static_cast<std::size_t>(kOpcodes[i].mnemonic) != i) return false;
    }
    return true;
}
static_assert(RowsInEnumOrder(), "one opcode row per mnemonic, in enumeration order");

const OpcodeRow& RowOf(Mnemonic m) {
    return kOpcodes[static_cast<std::size_t>(m)];
}

std::string Hex(int value, int digits) {
    static constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::string s(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i) {
        s[static_cast<std::size_t>(i)] = kDigits[static_cast<std::size_t>(value & 0xF)];
        value >>= 4;
    }
    return "$" + s;
}

constexpr std::array<std::string_view, kModeCount> kModeNames = {
    "implied",       "accumulator",   "immediate",  "zero page",  "zero page,X",
    "zero page,Y",   "absolute",      "absolute,X", "absolute,Y", "indirect",
    "(zero page,X)", "(zero page),Y", "relative",
};

// The widest value each operand size holds.
int OperandLimit(Mode mode) {
    return OperandBytes(mode) == 2 ? 0xFFFF : 0xFF;
}

}  // namespace

std::string_view MnemonicName(Mnemonic m) {
    return RowOf(m).name;
}

std::optional<std::uint8_t> Opcode(Mnemonic m, Mode mode) {
    const std::int16_t code = RowOf(m).codes[static_cast<std::size_t>(mode)];
    if (code < 0) return std::nullopt;
    return static_cast<std::uint8_t>(code);
}

Emitter::Emitter(std::uint16_t origin) : origin_(origin) {}

std::uint16_t Emitter::Here() const {
    return static_cast<std::uint16_t>(origin_ + bytes_.size());
}

Label Emitter::NewLabel() {
    labels_.emplace_back();
    return Label{static_cast<int>(labels_.size()) - 1};
}

void Emitter::Bind(Label label) {
    if (label.id < 0 || static_cast<std::size_t>(label.id) >= labels_.size()) {
        throw AssemblyError("binding a label that this emitter did not make");
    }
    auto& slot = labels_[static_cast<std::size_t>(label.id)];
    if (slot) throw AssemblyError("label bound twice, the first time at " + Hex(*slot, 4));
    slot = Here();
}

Label Emitter::Mark() {
    const Label l = NewLabel();
    Bind(l);
    return l;
}

void Emitter::ExpectHere(int address) const {
    if (Here() != address) {
        throw AssemblyError("code reaches " + Hex(Here(), 4) + " where " + Hex(address, 4) +
                            " was expected");
    }
}

std::uint16_t Emitter::AddressOf(Label label) const {
    return Resolve(label);
}

std::uint16_t Emitter::Resolve(Label label) const {
    if (label.id < 0 || static_cast<std::size_t>(label.id) >= labels_.size()) {
        throw AssemblyError("a label that this emitter did not make");
    }
    const auto& slot = labels_[static_cast<std::size_t>(label.id)];
    if (!slot) throw AssemblyError("a label used but never bound");
    return *slot;
}

void Emitter::Put(int value) {
    if (origin_ + bytes_.size() > 0xFFFF) throw AssemblyError("code runs past $FFFF");
    bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

void Emitter::Emit(Mnemonic m) {
    if (Opcode(m, Mode::Implied)) {
        Emit(m, Operand{Mode::Implied, 0, {}});
    } else {
        Emit(m, Acc());
    }
}

void Emitter::Emit(Mnemonic m, Operand operand) {
    const std::optional<std::uint8_t> code = Opcode(m, operand.mode);
    if (!code) {
        throw AssemblyError(std::string(MnemonicName(m)) + " has no " +
                            std::string(kModeNames[static_cast<std::size_t>(operand.mode)]) +
                            " mode");
    }
    if (operand.mode == Mode::Relative && !operand.label) {
        throw AssemblyError(std::string(MnemonicName(m)) + " branches to a label");
    }
    const int size = OperandBytes(operand.mode);
    if (!operand.label && (operand.value < 0 || operand.value > OperandLimit(operand.mode))) {
        throw AssemblyError(std::string(MnemonicName(m)) + " operand " +
                            std::to_string(operand.value) + " does not fit in " +
                            std::to_string(size) + " byte(s)");
    }
    if (operand.label) {
        // A whole address needs two bytes; a byte of one, or a branch offset, needs one.
        const bool wide = operand.label->part == Part::Whole && operand.mode != Mode::Relative;
        if (wide != (size == 2)) {
            throw AssemblyError(std::string(MnemonicName(m)) +
                                (wide ? " takes a byte, not a whole label address"
                                      : " takes a whole label address"));
        }
    }
    Put(*code);
    if (operand.label) {
        fixups_.push_back(Fixup{bytes_.size(), *operand.label, operand.mode == Mode::Relative});
    }
    for (int i = 0; i < size; ++i) Put(operand.value >> (8 * i));
}

void Emitter::Emit(Mnemonic m, Label target) {
    Emit(m, Operand{Mode::Relative, 0, LabelPart{target}});
}

void Emitter::Byte(int value) {
    if (value < 0 || value > 0xFF) {
        throw AssemblyError("data byte " + std::to_string(value) + " out of range");
    }
    Put(value);
}

void Emitter::Bytes(std::span<const std::uint8_t> values) {
    for (const std::uint8_t v : values) Put(v);
}

void Emitter::Text(std::string_view ascii) {
    for (const char c : ascii) Byte(static_cast<unsigned char>(c));
}

void Emitter::Word(int value) {
    if (value < 0 || value > 0xFFFF) {
        throw AssemblyError("data word " + std::to_string(value) + " out of range");
    }
    Put(value);
    Put(value >> 8);
}

void Emitter::Word(Label label) {
    fixups_.push_back(Fixup{bytes_.size(), LabelPart{label}, false});
    Put(0);
    Put(0);
}

std::vector<std::uint8_t> Emitter::Finish() const {
    std::vector<std::uint8_t> out = bytes_;
    for (const Fixup& f : fixups_) {
        const int address = Resolve(f.label.label);
        if (f.relative) {
            // The offset counts from the first byte of the next instruction.
            const int next = origin_ + static_cast<int>(f.at) + 1;
            const int offset = address - next;
            if (offset < -128 || offset > 127) {
                throw AssemblyError("branch at " + Hex(next - 2, 4) + " cannot reach " +
                                    Hex(address, 4));
            }
            out[f.at] = static_cast<std::uint8_t>(offset & 0xFF);
            continue;
        }
        switch (f.label.part) {
            case Part::Whole:
                out[f.at] = static_cast<std::uint8_t>(address & 0xFF);
                out[f.at + 1] = static_cast<std::uint8_t>(address >> 8);
                break;
            case Part::Low:
                out[f.at] = static_cast<std::uint8_t>(address & 0xFF);
                break;
            case Part::High:
                out[f.at] = static_cast<std::uint8_t>(address >> 8);
                break;
        }
    }
    return out;
}

}  // namespace zimbor::mos6502
