#include "c64/displayer.hpp"

#include <algorithm>
#include <cassert>
#include <vector>

#include "c64/mos6502.hpp"

namespace zimbor {

namespace {

using namespace mos6502;
using enum Mnemonic;

// ---------------------------------------------------------------------------------------------
// The C64's registers, as the routine uses them.
// ---------------------------------------------------------------------------------------------
inline constexpr int kProcessorPort = 0x01;  // 6510 port: memory configuration
inline constexpr int kAllRamWithIo = 0x05;   // RAM under BASIC and KERNAL, I/O at $D000

// VIC-II.
inline constexpr int kSpriteX0 = 0xD000;  // sprite i's X at $D000 + 2i
inline constexpr int kSpriteY0 = 0xD001;  // sprite i's Y at $D001 + 2i
inline constexpr int kControl1 = 0xD011;  // bitmap mode, display on, rows, Y scroll
inline constexpr int kRaster = 0xD012;    // current raster line / interrupt compare
inline constexpr int kSpriteEnable = 0xD015;
inline constexpr int kMemorySetup = 0xD018;  // video matrix and bitmap in the bank
inline constexpr int kInterruptFlags = 0xD019;
inline constexpr int kInterruptEnable = 0xD01A;
inline constexpr int kBorderColour = 0xD020;
inline constexpr int kSpriteColour0 = 0xD027;  // sprite i's colour at $D027 + i

// CIAs.
inline constexpr int kCia1InterruptControl = 0xDC0D;
inline constexpr int kCia2PortA = 0xDD00;  // VIC-II bank select, inverted bits 0..1
inline constexpr int kCia2InterruptControl = 0xDD0D;
inline constexpr int kVicBank4000 = 0x02;  // bank 1: $4000-$7FFF

// The RAM vectors the CPU reads with the KERNAL switched out.
inline constexpr int kNmiVector = 0xFFFA;
inline constexpr int kResetVector = 0xFFFC;
inline constexpr int kIrqVector = 0xFFFE;

constexpr int SpriteX(int i) {
    return kSpriteX0 + 2 * i;
}
constexpr int SpriteY(int i) {
    return kSpriteY0 + 2 * i;
}

// ---------------------------------------------------------------------------------------------
// The frame, in PAL raster lines (63 cycles each, 312 a frame).
// ---------------------------------------------------------------------------------------------
inline constexpr int kFirstInterruptLine = 32;   // first handler: set up the second
inline constexpr int kSecondInterruptLine = 33;  // second handler: cycle-exact from here on
inline constexpr int kBorderLine = 40;           // border takes the background colour
inline constexpr int kLeadInLine = 48;           // the NOPs that place the first line slot
inline constexpr int kFrameEndLine = 228;        // below the picture: all black

inline constexpr int kSpriteRowHeight = 21;
inline constexpr int kFirstSpriteRowY = 50;  // sprite row r starts at 50 + 21r
inline constexpr int kSpriteRows = 8;
inline constexpr int kShownSprites = 7;  // sprite 0 the solid strip, 1..6 the overlay
inline constexpr int kSpritesOn = 0x7F;
inline constexpr int kFirstSpriteX = 0x58;  // sprite 0 over character columns 8..10
inline constexpr int kSpriteWidth = 24;

// $D011 values: $38 is bitmap mode, display on, 25 rows; the low three bits the Y scroll.
inline constexpr int kBitmapMode = 0x38;
inline constexpr int kBitmapModeScroll3 = 0x3B;  // the ordinary display, first row at line 51
inline constexpr int kBlackInvalidMode = 0x7B;   // extended colour + bitmap: shown as black

// $D018 values: screen k at $4000 + k * $400 in the high nibble, bitmap at $6000 (bit 3).
inline constexpr int kBitmapAt6000 = 0x08;

// ---------------------------------------------------------------------------------------------
// The 177 line slots: one per raster line from 49 to 219, each exactly 14 cycles.
//
// Slot n selects screen n mod 8 and then, in its last cycle, sets the Y scroll to the raster
// line's low three bits, which forces a bad line: the VIC-II fetches fresh colours for every
// picture line (FLI). Three forms share the 14 cycles:
//
//   form       cycles                                   the sprite row restart
//   plain      LDX #x  LDY #m  LDA #c  STY D018 STA D011   X := Y of the next sprite row
//   preparing  LDY #c' LDA #m  STA D018 LDA #c  STA D011   Y := the next slot's D011 value
//   sprite     STX D001+2j  LDA #m  STA D018  STY D011     sprite j moves to the next row
//
// Sprite j of row r moves on slot 21r + 8 + 2j, while it is still showing row r; its
// preparing slot comes right before it.
// ---------------------------------------------------------------------------------------------
inline constexpr int kLineSlots = 177;  // slot 8 runs on raster line 51, picture line 0

enum class SlotForm { Plain, Preparing, Sprite };

struct SlotShape {
    SlotForm form = SlotForm::Plain;
    int sprite = 0;  // j, for the preparing and sprite forms
};

constexpr SlotShape ShapeOf(int n) {
    // Counting from slot 7, each sprite row r owns 21 slots, of which the first 14 alternate
    // preparing (even) and sprite (odd) for sprites 0..6.
    if (n < 7) return {};
    const int r = (n - 7) / kSpriteRowHeight;
    const int d = (n - 7) % kSpriteRowHeight;
    if (r > 6 || d >= 2 * kShownSprites) return {};
    return {d % 2 == 0 ? SlotForm::Preparing : SlotForm::Sprite, d / 2};
}

// m(n): screen n mod 8, bitmap at $6000.
constexpr int ScreenSelect(int n) {
    return kBitmapAt6000 + 16 * (n % 8);
}
// c(n): bitmap mode with Y scroll (n + 3) mod 8, the low bits of raster line 43 + n.
constexpr int ScrollFor(int n) {
    return kBitmapMode + (n + 3) % 8;
}
// x(n): the Y of the sprite row after the current one; past the last row a harmless 218.
constexpr int NextSpriteRowY(int n) {
    return kFirstSpriteRowY + kSpriteRowHeight * std::min(n / kSpriteRowHeight + 1, kSpriteRows);
}

void EmitLineSlot(Emitter& e, int n) {
    const SlotShape shape = ShapeOf(n);
    switch (shape.form) {
        case SlotForm::Plain:
            e.Emit(LDX, Imm(NextSpriteRowY(n)));
            e.Emit(LDY, Imm(ScreenSelect(n)));
            e.Emit(LDA, Imm(ScrollFor(n)));
            e.Emit(STY, Abs(kMemorySetup));
            e.Emit(STA, Abs(kControl1));
            break;
        case SlotForm::Preparing:
            e.Emit(LDY, Imm(ScrollFor(n + 1)));  // for the sprite slot that follows
            e.Emit(LDA, Imm(ScreenSelect(n)));
            e.Emit(STA, Abs(kMemorySetup));
            e.Emit(LDA, Imm(ScrollFor(n)));
            e.Emit(STA, Abs(kControl1));
            break;
        case SlotForm::Sprite:
            // X still holds the next row's Y from the last plain slot.
            e.Emit(STX, Abs(SpriteY(shape.sprite)));
            e.Emit(LDA, Imm(ScreenSelect(n)));
            e.Emit(STA, Abs(kMemorySetup));
            e.Emit(STY, Abs(kControl1));
            break;
    }
}

// LDX #line, then poll the raster register until it shows that line.
void WaitForRasterLine(Emitter& e, int line) {
    e.Emit(LDX, Imm(line));
    const Label poll = e.Mark();
    e.Emit(CPX, Abs(kRaster));
    e.Emit(BNE, poll);
}

// Points the IRQ vector at a raster handler: the next interrupt goes there.
void SetIrqVector(Emitter& e, Label handler) {
    e.Emit(LDA, Imm(Lo(handler)));
    e.Emit(STA, Abs(kIrqVector));
    e.Emit(LDA, Imm(Hi(handler)));
    e.Emit(STA, Abs(kIrqVector + 1));
}

void Nops(Emitter& e, int count) {
    for (int i = 0; i < count; ++i) e.Emit(NOP);
}

// The C64 addresses the file format fixes.
inline constexpr int kBasicLineNumber = 10;
inline constexpr int kSysToken = 0x9E;
inline constexpr int kEntry = 0x080E;  // SYS 2062
inline constexpr int kRoutineStart = 0x081E;
inline constexpr int kRoutineEnd = 0x1188;          // one past the second RTI
inline constexpr int kInitialOverlayColour = 10;    // Pink
inline constexpr int kInitialBackgroundColour = 0;  // Black

// The head of the program file from C64 $0800 on: the BASIC line, the header and the routine.
std::vector<std::uint8_t> AssembleHead() {
    Emitter e(kProgramLoadAddress);

    // 10 SYS2062. The line's link points at $080C, past a spare zero byte; the zero link
    // there ends the program.
    const Label endOfProgram = e.NewLabel();
    e.Byte(0x00);  // BASIC text is preceded by a zero byte
    e.Word(endOfProgram);
    e.Word(kBasicLineNumber);
    e.Byte(kSysToken);
    e.Text("2062");
    e.Byte(0x00);  // end of line
    e.Byte(0x00);
    e.Bind(endOfProgram);
    e.Word(0x0000);

    // The header: the jump that SYS reaches, the signature, the two colour bytes, the RTI that
    // the NMI and reset vectors point at, and room for the registers during the interrupt.
    e.ExpectHere(kEntry);
    const Label setUp = e.NewLabel();
    e.Emit(JMP, Abs(setUp));
    e.Text(kProgramSignature);
    e.Byte(0x00);
    e.ExpectHere(kProgramLoadAddress - 2 + static_cast<int>(kOverlayColourByte));
    const Label overlayColour = e.Mark();
    e.Byte(kInitialOverlayColour);
    const Label backgroundColour = e.Mark();
    e.Byte(kInitialBackgroundColour);
    e.Byte(0x00);
    const Label justReturn = e.Mark();
    e.Emit(RTI);
    const Label savedA = e.Mark();
    e.Byte(0x00);
    const Label savedX = e.Mark();
    e.Byte(0x00);
    const Label savedY = e.Mark();
    e.Byte(0x00);

    const Label firstHandler = e.NewLabel();
    const Label secondHandler = e.NewLabel();

    // --- Set-up, once. -----------------------------------------------------------------------
    e.ExpectHere(kRoutineStart);
    e.Bind(setUp);
    e.Emit(SEI);
    e.Emit(LDA, Imm(kAllRamWithIo));
    e.Emit(STA, Zp(kProcessorPort));
    // Sprites 1..6 carry the overlay, sprite 0 and the border the background colour.
    e.Emit(LDA, Abs(overlayColour));
    for (int i = 1; i < kShownSprites; ++i) e.Emit(STA, Abs(kSpriteColour0 + i));
    e.Emit(LDA, Abs(backgroundColour));
    e.Emit(STA, Abs(kSpriteColour0));
    e.Emit(STA, Abs(kBorderColour));
    e.Emit(LDA, Imm(kSpritesOn));
    e.Emit(STA, Abs(kSpriteEnable));
    // Seven sprites side by side: X 88, 112, ..., 232 (X 24 is character column 0).
    for (int i = 0; i < kShownSprites; ++i) {
        e.Emit(LDA, Imm(kFirstSpriteX + kSpriteWidth * i));
        e.Emit(STA, Abs(SpriteX(i)));
    }
    e.Emit(LDA, Imm(kVicBank4000));
    e.Emit(STA, Abs(kCia2PortA));
    // NMI (RESTORE) and reset return at once; the raster interrupt goes to the first handler.
    e.Emit(LDA, Imm(Lo(justReturn)));
    e.Emit(STA, Abs(kNmiVector));
    e.Emit(STA, Abs(kResetVector));
    e.Emit(LDA, Imm(Hi(justReturn)));
    e.Emit(STA, Abs(kNmiVector + 1));
    e.Emit(STA, Abs(kResetVector + 1));
    SetIrqVector(e, firstHandler);
    // The CIAs fall silent (no keyboard scan, no timer NMI); only the raster interrupts remain.
    e.Emit(LDA, Imm(0x7F));
    e.Emit(STA, Abs(kCia1InterruptControl));
    e.Emit(STA, Abs(kCia2InterruptControl));
    e.Emit(LDA, Abs(kInterruptEnable));
    e.Emit(ORA, Imm(0x01));
    e.Emit(STA, Abs(kInterruptEnable));
    e.Emit(LDA, Abs(kControl1));
    e.Emit(AND, Imm(0x7F));  // bit 8 of the raster compare
    e.Emit(STA, Abs(kControl1));
    e.Emit(LDA, Imm(kFirstInterruptLine));
    e.Emit(STA, Abs(kRaster));
    e.Emit(LDX, Imm(0xFF));
    e.Emit(TXS);
    // Clear whatever is pending in the VIC-II and both CIAs.
    e.Emit(ASL, Abs(kInterruptFlags));
    e.Emit(LDA, Abs(kCia1InterruptControl));
    e.Emit(LDA, Abs(kCia2InterruptControl));
    e.Emit(CLI);

    // --- Idle loop: everything else happens in the raster interrupt. -------------------------
    e.ExpectHere(0x08B2);
    const Label idle = e.Mark();
    e.Emit(JMP, Abs(idle));

    // --- First raster handler, line 32. ------------------------------------------------------
    // The CPU finishes its current instruction before it takes an interrupt, so the handler's
    // first cycle varies with the instruction it interrupted. Arming a second interrupt for the
    // next line and waiting for it in 2-cycle NOPs leaves one cycle of jitter, which the second
    // handler removes.
    e.ExpectHere(0x08B5);
    e.Bind(firstHandler);
    e.Emit(STA, Abs(savedA));
    e.Emit(STX, Abs(savedX));
    e.Emit(STY, Abs(savedY));
    SetIrqVector(e, secondHandler);
    e.Emit(LDA, Imm(kSecondInterruptLine));
    e.Emit(STA, Abs(kRaster));
    e.Emit(INC, Abs(kInterruptFlags));  // acknowledge
    e.Emit(TSX);                        // the stack pointer with this interrupt's frame
    e.Emit(CLI);
    Nops(e, 14);  // interrupted in cycle 10 or 11 of line 33, never resumed

    // --- Second raster handler, line 33: from here every cycle of the frame is fixed. --------
    e.ExpectHere(0x08E0);
    e.Bind(secondHandler);
    e.Emit(TXS);  // drop the second interrupt's frame
    e.Emit(LDX, Imm(0x08));
    const Label delay = e.Mark();
    e.Emit(DEX);
    e.Emit(BNE, delay);     // 8 rounds, 39 cycles
    e.Emit(BIT, Zp(0xEA));  // 3 cycles
    e.Emit(NOP);
    // The last cycle of jitter: the compare reads $D012 in cycle 63 of line 33 (equal, the
    // branch takes 3 cycles) or in cycle 1 of line 34 (not equal, 2 cycles).
    e.Emit(LDA, Imm(kSecondInterruptLine));
    e.Emit(CMP, Abs(kRaster));
    const Label aligned = e.NewLabel();
    e.Emit(BEQ, aligned);
    e.Bind(aligned);  // cycle 4 of line 34
    e.ExpectHere(0x08F0);

    // Top of frame: all seven sprites start sprite row 0 at line 50.
    e.Emit(LDA, Imm(kFirstSpriteRowY));
    for (int i = 0; i < kShownSprites; ++i) e.Emit(STA, Abs(SpriteY(i)));
    e.Emit(LDY, Abs(backgroundColour));
    e.Emit(LDA, Imm(kBitmapModeScroll3));
    WaitForRasterLine(e, kBorderLine);
    e.Emit(STY, Abs(kBorderColour));
    e.Emit(STA, Abs(kControl1));
    WaitForRasterLine(e, kLeadInLine);
    // 62 cycles: slot 0 begins in cycle 7 of line 49, and slot 7's $D011 write falls in cycle
    // 55 of line 50, the last cycle before the sprite fetches for line 51.
    Nops(e, 31);

    // --- The line slots, raster lines 49..219, unrolled. -------------------------------------
    e.ExpectHere(0x093F);
    for (int n = 0; n < kLineSlots; ++n) EmitLineSlot(e, n);

    // --- End of frame, line 228. -------------------------------------------------------------
    e.ExpectHere(0x115A);
    e.Emit(LDY, Imm(0x00));  // black
    e.Emit(LDA, Imm(kBlackInvalidMode));
    WaitForRasterLine(e, kFrameEndLine);
    e.Emit(STY, Abs(kBorderColour));
    e.Emit(STA, Abs(kControl1));
    SetIrqVector(e, firstHandler);
    e.Emit(LDA, Imm(kFirstInterruptLine));
    e.Emit(STA, Abs(kRaster));
    e.Emit(ASL, Abs(kInterruptFlags));  // the line-33 flag, pending since the second handler
    e.Emit(LDA, Abs(savedA));
    e.Emit(LDX, Abs(savedX));
    e.Emit(LDY, Abs(savedY));
    e.Emit(RTI);  // to the idle loop, interrupts enabled again by the restored status
    e.Emit(RTI);  // never reached
    e.ExpectHere(kRoutineEnd);

    return e.Finish();
}

DisplayerTemplate BuildDisplayerTemplate() {
    DisplayerTemplate t{};
    t[0] = kProgramLoadAddress & 0xFF;
    t[1] = kProgramLoadAddress >> 8;
    const std::vector<std::uint8_t> head = AssembleHead();
    assert(head.size() + 2 <= t.size());
    std::copy(head.begin(), head.end(), t.begin() + 2);
    return t;
}

}  // namespace

DisplayerTemplate MakeDisplayerTemplate() {
    static const DisplayerTemplate kTemplate = BuildDisplayerTemplate();
    return kTemplate;
}

}  // namespace zimbor
