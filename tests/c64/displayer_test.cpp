#include "c64/displayer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "disassembler.hpp"

namespace zimbor {
namespace {

using testing::Instruction;

// Template byte n holds C64 address $07FE + n.
constexpr int kTemplateBase = 0x07FE;
constexpr int kRoutineStart = 0x081E;
constexpr int kRoutineEnd = 0x1188;  // one past the last RTI
constexpr int kSlotsStart = 0x093F;
constexpr int kSlotsEnd = 0x115A;
constexpr int kD011 = 0xD011;
constexpr int kD018 = 0xD018;

std::span<const std::uint8_t> Range(const DisplayerTemplate& t, int first, int end) {
    return std::span<const std::uint8_t>(t).subspan(static_cast<std::size_t>(first - kTemplateBase),
                                                    static_cast<std::size_t>(end - first));
}

const DisplayerTemplate& Template() {
    static const DisplayerTemplate t = MakeDisplayerTemplate();
    return t;
}

const std::vector<Instruction>& Routine() {
    static const std::vector<Instruction> code =
        testing::Disassemble(Range(Template(), kRoutineStart, kRoutineEnd), kRoutineStart);
    return code;
}

// The listing of the instructions in [first, end), without addresses.
std::string ListingBetween(int first, int end) {
    std::vector<Instruction> part;
    for (const Instruction& in : Routine()) {
        if (in.address >= first && in.address < end) part.push_back(in);
    }
    return testing::Listing(part, false);
}

std::string Repeat(const std::string& line, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += line;
    return s;
}

// ---------------------------------------------------------------------------------------------
// The head of the file.
// ---------------------------------------------------------------------------------------------

TEST(DisplayerTemplate, HeaderBytes) {
    const std::vector<std::uint8_t> expected = {
        0x00, 0x08,                         // load address $0800
        0x00,                               // $0800
        0x0C, 0x08, 0x0A, 0x00,             // link $080C, line 10
        0x9E, '2',  '0',  '6',  '2', 0x00,  // SYS2062
        0x00, 0x00, 0x00,                   // end of program
        0x4C, 0x1E, 0x08,                   // JMP $081E
        'z',  'i',  'm',  'b',  'r', 0x00,
        10,                // overlay colour: Pink
        0,                 // background colour: Black
        0x00, 0x40,        // RTI at $081A
        0x00, 0x00, 0x00,  // A, X, Y during the interrupt
    };
    EXPECT_EQ(std::vector<std::uint8_t>(Template().begin(), Template().begin() + 32), expected);
}

TEST(DisplayerTemplate, RoutineFillsExactly081ETo1187AndZerosFollow) {
    EXPECT_EQ(kRoutineEnd - kRoutineStart, 2410);
    EXPECT_EQ(Routine().back().address, 0x1187);
    EXPECT_EQ(Template()[0x1186 - kTemplateBase], 0x40);
    EXPECT_EQ(Template()[0x1187 - kTemplateBase], 0x40);
    const auto rest = Range(Template(), kRoutineEnd, kTemplateBase + kTemplateSize);
    EXPECT_TRUE(std::all_of(rest.begin(), rest.end(), [](std::uint8_t b) { return b == 0; }));
    for (const Instruction& in : Routine()) {
        EXPECT_NE(in.mnemonic, "???") << std::hex << in.address;
    }
}

// ---------------------------------------------------------------------------------------------
// The pieces of the routine, each as its listing.
// ---------------------------------------------------------------------------------------------

struct Piece {
    const char* name;
    int first;
    int end;
    std::string listing;
};

const std::vector<Piece>& Pieces() {
    static const std::vector<Piece> pieces = {
        {"set-up", 0x081E, 0x08B2,
         "SEI\n"
         "LDA #$05\nSTA $01\n"
         "LDA $0817\nSTA $D028\nSTA $D029\nSTA $D02A\nSTA $D02B\nSTA $D02C\nSTA $D02D\n"
         "LDA $0818\nSTA $D027\nSTA $D020\n"
         "LDA #$7F\nSTA $D015\n"
         "LDA #$58\nSTA $D000\nLDA #$70\nSTA $D002\nLDA #$88\nSTA $D004\nLDA #$A0\nSTA $D006\n"
         "LDA #$B8\nSTA $D008\nLDA #$D0\nSTA $D00A\nLDA #$E8\nSTA $D00C\n"
         "LDA #$02\nSTA $DD00\n"
         "LDA #$1A\nSTA $FFFA\nSTA $FFFC\nLDA #$08\nSTA $FFFB\nSTA $FFFD\n"
         "LDA #$B5\nSTA $FFFE\nLDA #$08\nSTA $FFFF\n"
         "LDA #$7F\nSTA $DC0D\nSTA $DD0D\n"
         "LDA $D01A\nORA #$01\nSTA $D01A\n"
         "LDA $D011\nAND #$7F\nSTA $D011\n"
         "LDA #$20\nSTA $D012\n"
         "LDX #$FF\nTXS\n"
         "ASL $D019\nLDA $DC0D\nLDA $DD0D\n"
         "CLI\n"},
        {"idle loop", 0x08B2, 0x08B5, "JMP $08B2\n"},
        {"first raster handler", 0x08B5, 0x08D2,
         "STA $081B\nSTX $081C\nSTY $081D\n"
         "LDA #$E0\nSTA $FFFE\nLDA #$08\nSTA $FFFF\n"
         "LDA #$21\nSTA $D012\n"
         "INC $D019\n"
         "TSX\nCLI\n"},
        {"14 NOPs", 0x08D2, 0x08E0, Repeat("NOP\n", 14)},
        {"alignment", 0x08E0, 0x08F0,
         "TXS\nLDX #$08\nDEX\nBNE $08E3\nBIT $EA\nNOP\n"
         "LDA #$21\nCMP $D012\nBEQ $08F0\n"},
        {"top of frame", 0x08F0, 0x0920,
         "LDA #$32\nSTA $D001\nSTA $D003\nSTA $D005\nSTA $D007\nSTA $D009\nSTA $D00B\nSTA $D00D\n"
         "LDY $0818\nLDA #$3B\nLDX #$28\nCPX $D012\nBNE $090E\n"
         "STY $D020\nSTA $D011\n"
         "LDX #$30\nCPX $D012\nBNE $091B\n"},
        {"31 NOPs", 0x0920, 0x093F, Repeat("NOP\n", 31)},
        {"end of frame", 0x115A, 0x1187,
         "LDY #$00\nLDA #$7B\nLDX #$E4\nCPX $D012\nBNE $1160\n"
         "STY $D020\nSTA $D011\n"
         "LDA #$B5\nSTA $FFFE\nLDA #$08\nSTA $FFFF\n"
         "LDA #$20\nSTA $D012\n"
         "ASL $D019\n"
         "LDA $081B\nLDX $081C\nLDY $081D\nRTI\n"},
        {"unreached RTI", 0x1187, 0x1188, "RTI\n"},
    };
    return pieces;
}

TEST(DisplayRoutine, EachPieceStartsOnItsAddressAndReadsAsWritten) {
    std::vector<int> starts;
    for (const Instruction& in : Routine()) starts.push_back(in.address);
    for (const Piece& p : Pieces()) {
        EXPECT_TRUE(std::ranges::find(starts, p.first) != starts.end())
            << p.name << " does not start on an instruction";
        EXPECT_TRUE(std::ranges::find(starts, p.end) != starts.end() || p.end == kRoutineEnd)
            << p.name << " does not end before an instruction";
        EXPECT_EQ(ListingBetween(p.first, p.end), p.listing) << p.name;
    }
}

// ---------------------------------------------------------------------------------------------
// The 177 line slots.
// ---------------------------------------------------------------------------------------------

enum class Form { Plain, Preparing, Sprite };

struct Slot {
    int address = 0;
    std::vector<Instruction> code;
    int bytes = 0;
    int cycles = 0;
    Form form = Form::Plain;
    // What the slot writes, with the registers as the slots before it left them.
    int d018 = -1;
    int d011 = -1;
    std::optional<std::pair<int, int>> spriteY;  // (sprite, value)
    int x = -1;                                  // X after the slot
};

// Cuts $093F..$1159 after every $D011 write and runs the loads and stores of each slot.
std::vector<Slot> Slots() {
    std::vector<Slot> slots;
    Slot current;
    current.address = kSlotsStart;
    int a = -1;
    int x = -1;
    int y = -1;
    for (const Instruction& in : Routine()) {
        if (in.address < kSlotsStart || in.address >= kSlotsEnd) continue;
        current.code.push_back(in);
        current.bytes += in.size;
        current.cycles += in.cycles;
        const std::string& m = in.mnemonic;
        if (m == "LDA" || m == "LDX" || m == "LDY") {
            EXPECT_EQ(in.mode, testing::AddressMode::Imm) << in.text;
            (m == "LDA" ? a : m == "LDX" ? x : y) = in.operand;
            continue;
        }
        if (m != "STA" && m != "STX" && m != "STY") {
            ADD_FAILURE() << "unexpected " << in.text;
            continue;
        }
        const int value = m == "STA" ? a : m == "STX" ? x : y;
        if (in.operand == kD018) {
            current.d018 = value;
        } else if (in.operand >= 0xD001 && in.operand <= 0xD00D && in.operand % 2 == 1) {
            current.spriteY = std::pair{(in.operand - 0xD001) / 2, value};
        } else if (in.operand != kD011) {
            ADD_FAILURE() << "unexpected " << in.text;
        } else {
            current.d011 = value;
            current.x = x;
            const std::string& first = current.code.front().mnemonic;
            current.form = first == "STX"   ? Form::Sprite
                           : first == "LDY" ? Form::Preparing
                                            : Form::Plain;
            slots.push_back(current);
            current = Slot{};
            current.address = in.address + in.size;
        }
    }
    EXPECT_TRUE(current.code.empty()) << "code after the last slot";
    EXPECT_EQ(current.address, kSlotsEnd);
    return slots;
}

TEST(DisplayRoutine, LineSlotsTakeFourteenCyclesInThreeForms) {
    const std::vector<Slot> slots = Slots();
    ASSERT_EQ(slots.size(), 177u);
    std::map<Form, int> count;
    for (std::size_t n = 0; n < slots.size(); ++n) {
        const Slot& s = slots[n];
        ++count[s.form];
        EXPECT_EQ(s.cycles, 14) << "slot " << n;
        EXPECT_EQ(s.bytes, s.form == Form::Sprite ? 11 : 12) << "slot " << n;
        // Every slot selects screen n mod 8 and sets the Y scroll for raster line 43 + n.
        EXPECT_EQ(s.d018, 0x08 + 16 * static_cast<int>(n % 8)) << "slot " << n;
        EXPECT_EQ(s.d011, 0x38 + static_cast<int>((n + 3) % 8)) << "slot " << n;
    }
    EXPECT_EQ(count[Form::Sprite], 49);
    EXPECT_EQ(count[Form::Preparing], 49);
    EXPECT_EQ(count[Form::Plain], 79);
}

TEST(DisplayRoutine, TellingSlots) {
    struct Telling {
        int n;
        Form form;
        int d018;
        int d011;
        int sprite;  // -1: no sprite store
        int value;   // the sprite's new Y, or X after a plain slot, or -1
    };
    const Telling telling[] = {
        {0, Form::Plain, 0x08, 0x3B, -1, 71},    {7, Form::Preparing, 0x78, 0x3A, -1, -1},
        {8, Form::Sprite, 0x08, 0x3B, 0, 71},    {20, Form::Sprite, 0x48, 0x3F, 6, 71},
        {21, Form::Plain, 0x58, 0x38, -1, 92},   {146, Form::Sprite, 0x28, 0x3D, 6, 197},
        {147, Form::Plain, 0x38, 0x3E, -1, 218}, {175, Form::Plain, 0x78, 0x3A, -1, 218},
        {176, Form::Plain, 0x08, 0x3B, -1, 218},
    };
    const std::vector<Slot> slots = Slots();
    ASSERT_EQ(slots.size(), 177u);
    for (const Telling& t : telling) {
        const Slot& s = slots[static_cast<std::size_t>(t.n)];
        EXPECT_EQ(s.form, t.form) << "slot " << t.n;
        EXPECT_EQ(s.d018, t.d018) << "slot " << t.n;
        EXPECT_EQ(s.d011, t.d011) << "slot " << t.n;
        if (t.sprite >= 0) {
            EXPECT_EQ(s.spriteY, (std::pair{t.sprite, t.value})) << "slot " << t.n;
        } else {
            EXPECT_FALSE(s.spriteY) << "slot " << t.n;
            if (t.value >= 0) {
                EXPECT_EQ(s.x, t.value) << "slot " << t.n;
            }
        }
    }
    // Slot 7 loads Y with slot 8's $D011 value.
    EXPECT_EQ(slots[7].code.front().text, "LDY #$3B");
}

// Sprite j moves to row r + 1 while it still shows row r: sprite 0 on raster lines 51, 72, ...,
// 177 and sprite 6 on lines 63, ..., 189, each time to Y 71, 92, ..., 197. Slot n runs on
// raster line 43 + n.
TEST(DisplayRoutine, SpritesMoveToTheNextRowOnTheirLines) {
    std::map<int, std::vector<std::pair<int, int>>> moves;  // sprite -> (raster line, Y)
    const std::vector<Slot> slots = Slots();
    for (std::size_t n = 0; n < slots.size(); ++n) {
        if (slots[n].spriteY) {
            moves[slots[n].spriteY->first].push_back(
                {43 + static_cast<int>(n), slots[n].spriteY->second});
        }
    }
    ASSERT_EQ(moves.size(), 7u);
    for (int j = 0; j < 7; ++j) {
        std::vector<std::pair<int, int>> expected;
        for (int r = 0; r < 7; ++r) expected.push_back({51 + 21 * r + 2 * j, 71 + 21 * r});
        EXPECT_EQ(moves[j], expected) << "sprite " << j;
    }
}

// ---------------------------------------------------------------------------------------------
// Timing from the second raster handler to the picture, cycle by cycle. Lines 33..50 have no
// bad lines and no sprite fetches, so the CPU owns every cycle and plain 6502 timing holds.
// ---------------------------------------------------------------------------------------------

constexpr int kCyclesPerLine = 63;

struct Moment {
    int line;
    int cycle;
    friend bool operator==(const Moment&, const Moment&) = default;
};
std::ostream& operator<<(std::ostream& os, const Moment& m) {
    return os << "line " << m.line << " cycle " << m.cycle;
}
Moment At(long t) {
    return {static_cast<int>(t / kCyclesPerLine), static_cast<int>(t % kCyclesPerLine) + 1};
}

struct Access {
    int address;
    int value;
    Moment when;
};

struct LeadIn {
    std::map<int, Moment> started;  // first start of each instruction address
    std::vector<Access> writes;
    std::vector<Access> rasterReads;
};

// Runs from the second handler, entered in the given cycle of line 33, until slot 7's $D011
// write. Reads and writes happen in an instruction's last cycle.
LeadIn RunLeadIn(int entryCycle) {
    std::map<int, const Instruction*> at;
    for (const Instruction& in : Routine()) at[in.address] = &in;
    LeadIn run;
    long t = 33L * kCyclesPerLine + entryCycle - 1;
    int pc = 0x08E0;
    int a = 0, x = 0, y = 0;
    bool zero = false;
    int slotD011Writes = 0;
    const auto read = [&](int address, long when) {
        if (address == 0xD012) {
            const int line = At(when).line;
            run.rasterReads.push_back({address, line, At(when)});
            return line;
        }
        return static_cast<int>(Template()[static_cast<std::size_t>(address - kTemplateBase)]);
    };
    while (slotD011Writes < 8) {
        const auto found = at.find(pc);
        if (found == at.end()) {
            ADD_FAILURE() << "ran off the code at " << std::hex << pc;
            break;
        }
        const Instruction& in = *found->second;
        run.started.emplace(pc, At(t));
        const long last = t + in.cycles - 1;
        int next = pc + in.size;
        const std::string& m = in.mnemonic;
        const bool imm = in.mode == testing::AddressMode::Imm;
        if (m == "LDA")
            a = imm ? in.operand : read(in.operand, last);
        else if (m == "LDX")
            x = in.operand;
        else if (m == "LDY")
            y = imm ? in.operand : read(in.operand, last);
        else if (m == "DEX")
            zero = (x = (x - 1) & 0xFF) == 0;
        else if (m == "CMP")
            zero = a == read(in.operand, last);
        else if (m == "CPX")
            zero = x == read(in.operand, last);
        else if (m == "STA" || m == "STX" || m == "STY") {
            const int value = m == "STA" ? a : m == "STX" ? x : y;
            run.writes.push_back({in.operand, value, At(last)});
            if (in.operand == kD011 && pc >= kSlotsStart) ++slotD011Writes;
        } else if (m == "BNE" || m == "BEQ") {
            if ((m == "BNE") != zero) {
                t += 1 + ((in.operand >> 8) != (next >> 8) ? 1 : 0);
                next = in.operand;
            }
        } else if (m != "TXS" && m != "NOP" && m != "BIT") {
            ADD_FAILURE() << "unexpected " << in.text;
        }
        t += in.cycles;
        pc = next;
    }
    return run;
}

TEST(DisplayRoutine, LeadInPlacesTheFirstSlotsToTheCycle) {
    for (const int entry : {10, 11}) {
        SCOPED_TRACE("second handler entered in cycle " + std::to_string(entry));
        const LeadIn run = RunLeadIn(entry);
        // The last cycle of jitter is gone at $08F0.
        EXPECT_EQ(run.started.at(0x08F0), (Moment{34, 4}));
        // The waits see line 40 in cycle 3 and line 48 in cycle 5.
        const auto firstSeeing = [&run](int line) {
            const auto read = std::ranges::find(run.rasterReads, line, &Access::value);
            return read == run.rasterReads.end() ? Moment{-1, -1} : read->when;
        };
        EXPECT_EQ(firstSeeing(40), (Moment{40, 3}));
        EXPECT_EQ(firstSeeing(48), (Moment{48, 5}));
        // Border and display switched on in line 40; slot 0 begins in cycle 7 of line 49.
        const auto border = std::ranges::find(run.writes, 0xD020, &Access::address);
        ASSERT_NE(border, run.writes.end());
        EXPECT_EQ(border->when.line, 40);
        EXPECT_EQ(run.started.at(kSlotsStart), (Moment{49, 7}));
        // Slot 7's $D011 write: Y scroll 2 in cycle 55 of line 50.
        const Access& last = run.writes.back();
        EXPECT_EQ(last.address, kD011);
        EXPECT_EQ(last.value, 0x3A);
        EXPECT_EQ(last.when, (Moment{50, 55}));
    }
}

}  // namespace
}  // namespace zimbor
