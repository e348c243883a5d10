#include "c64/mos6502.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "disassembler.hpp"

namespace zimbor::mos6502 {
namespace {

using enum Mnemonic;
using Bytes = std::vector<std::uint8_t>;

struct EncodingCase {
    const char* name;
    std::function<void(Emitter&)> emit;
    Bytes expected;
};

// Published encodings, a few per addressing mode; the emitter starts at $1000.
const EncodingCase kEncodings[] = {
    {"implied NOP", [](Emitter& e) { e.Emit(NOP); }, {0xEA}},
    {"implied RTI", [](Emitter& e) { e.Emit(RTI); }, {0x40}},
    {"implied TXS", [](Emitter& e) { e.Emit(TXS); }, {0x9A}},
    {"accumulator ASL", [](Emitter& e) { e.Emit(ASL); }, {0x0A}},
    {"accumulator ROR", [](Emitter& e) { e.Emit(ROR, Acc()); }, {0x6A}},
    {"immediate LDA", [](Emitter& e) { e.Emit(LDA, Imm(0x05)); }, {0xA9, 0x05}},
    {"immediate CPX", [](Emitter& e) { e.Emit(CPX, Imm(0xE4)); }, {0xE0, 0xE4}},
    {"zero page STA", [](Emitter& e) { e.Emit(STA, Zp(0x01)); }, {0x85, 0x01}},
    {"zero page BIT", [](Emitter& e) { e.Emit(BIT, Zp(0xEA)); }, {0x24, 0xEA}},
    {"zero page,X LDY", [](Emitter& e) { e.Emit(LDY, ZpX(0x10)); }, {0xB4, 0x10}},
    {"zero page,Y STX", [](Emitter& e) { e.Emit(STX, ZpY(0x80)); }, {0x96, 0x80}},
    {"absolute STA", [](Emitter& e) { e.Emit(STA, Abs(0xD020)); }, {0x8D, 0x20, 0xD0}},
    {"absolute ASL", [](Emitter& e) { e.Emit(ASL, Abs(0xD019)); }, {0x0E, 0x19, 0xD0}},
    {"absolute JMP", [](Emitter& e) { e.Emit(JMP, Abs(0x081E)); }, {0x4C, 0x1E, 0x08}},
    {"absolute,X INC", [](Emitter& e) { e.Emit(INC, AbsX(0x0400)); }, {0xFE, 0x00, 0x04}},
    {"absolute,Y LDX", [](Emitter& e) { e.Emit(LDX, AbsY(0xC000)); }, {0xBE, 0x00, 0xC0}},
    {"indirect JMP", [](Emitter& e) { e.Emit(JMP, Ind(0xFFFE)); }, {0x6C, 0xFE, 0xFF}},
    {"(zp,X) EOR", [](Emitter& e) { e.Emit(EOR, IndX(0x20)); }, {0x41, 0x20}},
    {"(zp),Y STA", [](Emitter& e) { e.Emit(STA, IndY(0xFB)); }, {0x91, 0xFB}},
    {"branch to itself", [](Emitter& e) { e.Emit(BNE, e.Mark()); }, {0xD0, 0xFE}},
    {"branch back over a CPX",
     [](Emitter& e) {
         const Label poll = e.Mark();
         e.Emit(CPX, Abs(0xD012));
         e.Emit(BNE, poll);
     },
     {0xEC, 0x12, 0xD0, 0xD0, 0xFB}},
    {"branch forward",
     [](Emitter& e) {
         const Label done = e.NewLabel();
         e.Emit(BEQ, done);
         e.Emit(NOP);
         e.Bind(done);
     },
     {0xF0, 0x01, 0xEA}},
    {"branch to the next instruction",
     [](Emitter& e) {
         const Label next = e.NewLabel();
         e.Emit(BEQ, next);
         e.Bind(next);
     },
     {0xF0, 0x00}},
    {"jump to a label bound later",
     [](Emitter& e) {
         const Label target = e.NewLabel();
         e.Emit(JMP, Abs(target));
         e.Bind(target);
     },
     {0x4C, 0x03, 0x10}},
    {"low and high byte of a label",
     [](Emitter& e) {
         const Label target = e.NewLabel();
         e.Emit(LDA, Imm(Lo(target)));
         e.Emit(LDA, Imm(Hi(target)));
         e.Byte(0xFF);
         e.Bind(target);
     },
     {0xA9, 0x05, 0xA9, 0x10, 0xFF}},
    {"data",
     [](Emitter& e) {
         e.Text("zi");
         e.Word(0x080C);
         e.Word(e.Mark());
     },
     {0x7A, 0x69, 0x0C, 0x08, 0x04, 0x10}},
};

TEST(Mos6502Emitter, EncodesEachAddressingModeAsPublished) {
    for (const EncodingCase& c : kEncodings) {
        Emitter e(0x1000);
        c.emit(e);
        EXPECT_EQ(e.Finish(), c.expected) << c.name;
    }
}

// Every (mnemonic, mode) the emitter knows, read back by the independent disassembler: the two
// opcode tables must agree entry for entry, and together they cover the 151 official opcodes.
TEST(Mos6502Emitter, OpcodeTableAgreesWithTheDisassembler) {
    int known = 0;
    for (int m = 0; m < kMnemonicCount; ++m) {
        for (int mode = 0; mode < kModeCount; ++mode) {
            const auto mnemonic = static_cast<Mnemonic>(m);
            const auto addressing = static_cast<Mode>(mode);
            const std::optional<std::uint8_t> code = Opcode(mnemonic, addressing);
            if (!code) continue;
            ++known;
            const Bytes bytes{*code, 0x34, 0x12};
            const testing::Instruction in = testing::Decode(bytes, 0, 0x1000);
            EXPECT_EQ(in.mnemonic, MnemonicName(mnemonic)) << "opcode " << int{*code};
            EXPECT_EQ(static_cast<int>(in.mode), mode) << in.mnemonic;
            EXPECT_EQ(in.size, 1 + OperandBytes(addressing)) << in.mnemonic;
        }
    }
    EXPECT_EQ(known, 151);
}

struct ErrorCase {
    const char* name;
    std::function<void(Emitter&)> emit;
};

const ErrorCase kErrors[] = {
    {"mode the mnemonic lacks", [](Emitter& e) { e.Emit(STA, Imm(1)); }},
    {"implied on a mnemonic with an operand", [](Emitter& e) { e.Emit(LDA); }},
    {"immediate too wide", [](Emitter& e) { e.Emit(LDA, Imm(0x100)); }},
    {"zero page too wide", [](Emitter& e) { e.Emit(STA, Zp(0x1234)); }},
    {"negative address", [](Emitter& e) { e.Emit(STA, Abs(-1)); }},
    {"whole label in an immediate",
     [](Emitter& e) {
         e.Emit(LDA, Operand{Mode::Immediate, 0, LabelPart{e.Mark()}});
     }},
    {"label byte as an address",
     [](Emitter& e) {
         e.Emit(STA, Operand{Mode::Absolute, 0, Lo(e.Mark())});
     }},
    {"label never bound", [](Emitter& e) { e.Emit(JMP, Abs(e.NewLabel())); }},
    {"label bound twice",
     [](Emitter& e) {
         const Label l = e.Mark();
         e.Bind(l);
     }},
    {"branch beyond 127 bytes",
     [](Emitter& e) {
         const Label far = e.NewLabel();
         e.Emit(BNE, far);
         for (int i = 0; i < 128; ++i) e.Emit(NOP);
         e.Bind(far);
     }},
    {"branch back beyond 128 bytes",
     [](Emitter& e) {
         const Label back = e.Mark();
         for (int i = 0; i < 127; ++i) e.Emit(NOP);
         e.Emit(BNE, back);
     }},
    {"code not where the layout expects it",
     [](Emitter& e) {
         e.Emit(NOP);
         e.ExpectHere(0x1000);
     }},
    {"code past $FFFF",
     [](Emitter& e) {
         for (int i = 0; i < 0x10000 - 0x1000 + 1; ++i) e.Byte(0);
     }},
};

TEST(Mos6502Emitter, RefusesMistakes) {
    for (const ErrorCase& c : kErrors) {
        Emitter e(0x1000);
        EXPECT_THROW(
            {
                c.emit(e);
                (void)e.Finish();
            },
            AssemblyError)
            << c.name;
    }
}

// The limits of a branch, just inside: +127 and -128 from the next instruction.
TEST(Mos6502Emitter, BranchesReachTheirFullRange) {
    Emitter e(0x1000);
    const Label back = e.Mark();
    for (int i = 0; i < 126; ++i) e.Emit(NOP);
    e.Emit(BNE, back);  // at $107E, next $1080: offset -128
    const Label forward = e.NewLabel();
    e.Emit(BEQ, forward);
    for (int i = 0; i < 127; ++i) e.Emit(NOP);
    e.Bind(forward);
    const Bytes code = e.Finish();
    EXPECT_EQ(code[127], 0x80);
    EXPECT_EQ(code[129], 0x7F);
}

}  // namespace
}  // namespace zimbor::mos6502
