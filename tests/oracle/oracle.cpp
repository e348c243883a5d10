#include "tests/oracle/oracle.hpp"

#include <cstring>
#include <string>

namespace oracle {

// ---------------------------------------------------------------------------------------------
// Palette. The 16 C64 colours as 0xRRGGBB, index = C64 colour number.
// ---------------------------------------------------------------------------------------------
const std::int32_t C64Palette[16] = {
    0x000000,  //  0 Black
    0xFFFFFF,  //  1 White
    0x7E352B,  //  2 Red
    0x6EB7C1,  //  3 Cyan
    0x7F3BA6,  //  4 Purple
    0x5CA035,  //  5 Green
    0x332799,  //  6 Blue
    0xCBD765,  //  7 Yellow
    0x85531C,  //  8 Orange
    0x503C00,  //  9 Brown
    0xB46B61,  // 10 Pink
    0x4A4A4A,  // 11 D Grey
    0x757575,  // 12 M Grey
    0xA3E77C,  // 13 L Green
    0x7064D6,  // 14 L Blue
    0xA3A3A3,  // 15 L Grey
};

std::uint8_t PaletteRed[16];
std::uint8_t PaletteGreen[16];
std::uint8_t PaletteBlue[16];
std::int32_t PaletteY[16];
std::int32_t PaletteU[16];
std::int32_t PaletteV[16];

YUV RgbToYuv(std::int32_t R, std::int32_t G, std::int32_t B) {
    // The decimal coefficients in thousandths, so the truncation is exact.
    YUV r;
    r.Y = (16000 + 257 * R + 504 * G + 98 * B) / 1000;
    r.U = (128000 - 148 * R - 291 * G + 439 * B) / 1000;
    r.V = (128000 + 439 * R - 368 * G - 71 * B) / 1000;
    return r;
}

std::int32_t YuvDistance(YUV a, YUV b) {
    return 2 * ((a.Y - b.Y) * (a.Y - b.Y) + (a.U - b.U) * (a.U - b.U) + (a.V - b.V) * (a.V - b.V));
}

namespace {

std::int32_t Absolute(std::int32_t v) {
    return v < 0 ? -v : v;
}
std::int32_t RedOf(std::int32_t c) {
    return (c >> 16) & 0xFF;
}
std::int32_t GreenOf(std::int32_t c) {
    return (c >> 8) & 0xFF;
}
std::int32_t BlueOf(std::int32_t c) {
    return c & 0xFF;
}

}  // namespace

std::int32_t RgbDistance(std::int32_t a, std::int32_t b) {
    return Absolute(RedOf(a) - RedOf(b)) + Absolute(GreenOf(a) - GreenOf(b)) +
           Absolute(BlueOf(a) - BlueOf(b));
}

void BuildPaletteTables() {
    for (int i = 0; i < 16; i++) {
        const std::int32_t R = RedOf(C64Palette[i]);
        const std::int32_t G = GreenOf(C64Palette[i]);
        const std::int32_t B = BlueOf(C64Palette[i]);
        PaletteRed[i] = static_cast<std::uint8_t>(R);
        PaletteGreen[i] = static_cast<std::uint8_t>(G);
        PaletteBlue[i] = static_cast<std::uint8_t>(B);
        const YUV yuv = RgbToYuv(R, G, B);
        PaletteY[i] = yuv.Y;
        PaletteU[i] = yuv.U;
        PaletteV[i] = yuv.V;
    }
}

// ---------------------------------------------------------------------------------------------
// The process-wide state.
// ---------------------------------------------------------------------------------------------
std::int32_t RedPlane[PlaneSize];
std::int32_t GreenPlane[PlaneSize];
std::int32_t BluePlane[PlaneSize];
std::int32_t MappedImage[PlaneSize];
std::int32_t MappedY[PlaneSize];
std::int32_t MappedU[PlaneSize];
std::int32_t MappedV[PlaneSize];
std::int32_t FinalImage[PlaneSize];
std::int32_t SpriteLayer[PlaneSize];
std::int32_t HiresLayer[PlaneSize];

std::uint8_t C64Memory[MemorySize];
std::uint8_t RawBuffer[BankSize];
std::uint8_t DisplayerTemplateByte25;
std::uint8_t DisplayerTemplateByte26;
int ConversionDone;
OverlayResult OverlayResults[16];

std::uint32_t WorkingImage[PlaneSize];
MainWindowControls Form1;

namespace {
zimbor::NullReporter Nobody;
}
zimbor::Reporter* Screen = &Nobody;

std::int32_t ColourPairTable[120][2];
std::int32_t SpriteRowAddressTable[168][6];

namespace {

void BuildColourPairTable() {
    // All pairs a < b in lexicographic order.
    int j = 0;
    for (int a = 0; a < 16; a++) {
        for (int b = a + 1; b < 16; b++) {
            ColourPairTable[j][0] = a;
            ColourPairTable[j][1] = b;
            j++;
        }
    }
}

void BuildSpriteRowAddressTable() {
    // Line y takes its block from the pointer row of screen (y - 1) mod 8 and its row within the
    // block from y mod 21.
    for (int y = 0; y < 168; y++) {
        for (int s = 0; s < 6; s++) {
            SpriteRowAddressTable[y][s] =
                0x4000 + 64 * SpritePointerTable[(y + 7) % 8][s + 1] + 3 * (y % 21);
        }
    }
}

}  // namespace

void StartProgram() {
    std::memset(RedPlane, 0, sizeof RedPlane);
    std::memset(GreenPlane, 0, sizeof GreenPlane);
    std::memset(BluePlane, 0, sizeof BluePlane);
    std::memset(MappedImage, 0, sizeof MappedImage);
    std::memset(MappedY, 0, sizeof MappedY);
    std::memset(MappedU, 0, sizeof MappedU);
    std::memset(MappedV, 0, sizeof MappedV);
    std::memset(FinalImage, 0, sizeof FinalImage);
    std::memset(SpriteLayer, 0, sizeof SpriteLayer);
    std::memset(HiresLayer, 0, sizeof HiresLayer);
    std::memset(C64Memory, 0, sizeof C64Memory);
    std::memset(RawBuffer, 0, sizeof RawBuffer);
    std::memset(WorkingImage, 0, sizeof WorkingImage);
    DisplayerTemplateByte25 = 10;  // "Pink" until the first conversion
    DisplayerTemplateByte26 = 0;   // "Black"
    ConversionDone = 0;
    for (int n = 0; n < 16; n++) OverlayResults[n] = OverlayResult{0, 0};
    Form1 = MainWindowControls{};
    Screen = &Nobody;
    BuildPaletteTables();
    BuildColourPairTable();
    BuildSpriteRowAddressTable();
}

// ---------------------------------------------------------------------------------------------
// Painters. The reporter takes the plane itself, so the canvas colour swap is not needed here.
// ---------------------------------------------------------------------------------------------
namespace {

void PaintPlane(const std::int32_t* plane, zimbor::Preview image) {
    zimbor::Plane copy{};
    for (int i = 0; i < PlaneSize; i++) copy[static_cast<std::size_t>(i)] = plane[i];
    Screen->ShowPlane(image, copy);
}

}  // namespace

void ShowMappedImage() {
    PaintPlane(MappedImage, zimbor::Preview::Mapped);
}
void ShowFinalImage() {
    PaintPlane(FinalImage, zimbor::Preview::Final);
}
void ShowSpriteLayer() {
    PaintPlane(SpriteLayer, zimbor::Preview::Sprite);
}
void ShowHiresLayer() {
    PaintPlane(HiresLayer, zimbor::Preview::Hires);
}
void ClearPreviews() {
    Screen->ClearPreviews();
}

// ---------------------------------------------------------------------------------------------
// Channel separation and tone.
// ---------------------------------------------------------------------------------------------
namespace {

std::int32_t Adjust(std::int32_t v, std::int32_t o, std::int32_t brightness,
                    std::int32_t contrast) {
    const std::int32_t s = v + o + brightness - 128;
    const std::int32_t t = s * (contrast + 100) / 100;
    std::int32_t result = t + 128;
    if (result > 255) result = 255;
    if (result < 0) result = 0;
    return result;
}

}  // namespace

void SeparateChannels() {
    Screen->SetStatus("Seperating R,G,B channels                  ");
    for (int y = 0; y < 168; y++) {
        Screen->SetProgress(y);
        for (int x = 0; x < 144; x++) {
            const std::uint32_t c = WorkingImage[y * 144 + x];
            const auto R = static_cast<std::int32_t>(c & 0xFF);
            const auto G = static_cast<std::int32_t>((c >> 8) & 0xFF);
            const auto B = static_cast<std::int32_t>((c >> 16) & 0xFF);
            RedPlane[y * 144 + x] = Adjust(R, Form1.TrackBar1, Form1.TrackBar4, Form1.TrackBar5);
            GreenPlane[y * 144 + x] = Adjust(G, Form1.TrackBar2, Form1.TrackBar4, Form1.TrackBar5);
            BluePlane[y * 144 + x] = Adjust(B, Form1.TrackBar3, Form1.TrackBar4, Form1.TrackBar5);
        }
    }
    Screen->SetProgress(0);
}

// ---------------------------------------------------------------------------------------------
// Nearest colour and palette mapping.
// ---------------------------------------------------------------------------------------------
std::int32_t NearestPaletteColour(std::int32_t c) {
    const bool yuv = Form1.CheckBox2 && !Form1.CheckBox4;
    const std::int32_t R = RedOf(c);
    const std::int32_t G = GreenOf(c);
    const std::int32_t B = BlueOf(c);
    std::int32_t d[16];
    for (int i = 0; i < 16; i++) {
        if (yuv) {
            d[i] = YuvDistance(
                RgbToYuv(R, G, B),
                RgbToYuv(RedOf(C64Palette[i]), GreenOf(C64Palette[i]), BlueOf(C64Palette[i])));
        } else {
            d[i] = RgbDistance(c, C64Palette[i]);
        }
    }
    int best = 0;
    for (int i = 1; i < 16; i++) {
        if (d[i] < d[best]) best = i;
    }
    return C64Palette[best];
}

void MapToPalette() {
    Screen->SetStatus("Mapping to closest c64 colors");
    for (int y = 0; y < 168; y++) {
        Screen->SetProgress(y);
        for (int x = 0; x < 144; x++) {
            const int i = y * 144 + x;
            const std::int32_t c = ((RedPlane[i] & 0xFF) << 16) | ((GreenPlane[i] & 0xFF) << 8) |
                                   (BluePlane[i] & 0xFF);
            const std::int32_t p = NearestPaletteColour(c);
            MappedImage[i] = p;
            const YUV yuv = RgbToYuv(RedOf(p), GreenOf(p), BlueOf(p));
            MappedY[i] = yuv.Y;
            MappedU[i] = yuv.U;
            MappedV[i] = yuv.V;
        }
    }
    Screen->SetProgress(0);
}

// ---------------------------------------------------------------------------------------------
// Error diffusion.
// ---------------------------------------------------------------------------------------------
namespace {

// One share, added to its target at once and clamped there; below the picture it is dropped.
void AddShare(std::int32_t* plane, int target, std::int32_t share) {
    if (target >= 24192) return;
    std::int32_t v = plane[target] + share;
    if (v > 255) v = 255;
    if (v < 0) v = 0;
    plane[target] = v;
}

}  // namespace

void DiffuseError(int x, int y, std::int32_t chosen, std::int32_t current) {
    const int i = y * 144 + x;

    // Red: 2q two pixels to the right, q below, q below and to the left.
    {
        const std::int32_t o = RedOf(current);
        const std::int32_t p = RedOf(chosen);
        const std::int32_t e = o - p;
        const std::int32_t q = e / 4;
        RedPlane[i] = p;
        AddShare(RedPlane, i + 2, 2 * q);
        AddShare(RedPlane, i + 144, q);
        AddShare(RedPlane, i + 143, q);
    }
    // Green: 2q to the next pixel, q below, q below and to the left.
    {
        const std::int32_t o = GreenOf(current);
        const std::int32_t p = GreenOf(chosen);
        const std::int32_t e = o - p;
        const std::int32_t q = e / 4;
        GreenPlane[i] = p;
        AddShare(GreenPlane, i + 1, 2 * q);
        AddShare(GreenPlane, i + 144, q);
        AddShare(GreenPlane, i + 143, q);
    }
    // Blue: as green.
    {
        const std::int32_t o = BlueOf(current);
        const std::int32_t p = BlueOf(chosen);
        const std::int32_t e = o - p;
        const std::int32_t q = e / 4;
        BluePlane[i] = p;
        AddShare(BluePlane, i + 1, 2 * q);
        AddShare(BluePlane, i + 144, q);
        AddShare(BluePlane, i + 143, q);
    }
}

void ErrorDiffusionDither() {
    Screen->SetStatus("Dithering image using C64 colors              ");
    for (int y = 0; y < 168; y++) {
        Screen->SetProgress(y);
        for (int x = 0; x < 144; x++) {
            const int i = y * 144 + x;
            const std::int32_t current = ((RedPlane[i] & 0xFF) << 16) |
                                         ((GreenPlane[i] & 0xFF) << 8) | (BluePlane[i] & 0xFF);
            const std::int32_t chosen = NearestPaletteColour(current);
            DiffuseError(x, y, chosen, current);
        }
    }
    Screen->SetProgress(0);
}

// ---------------------------------------------------------------------------------------------
// Ordered dither.
// ---------------------------------------------------------------------------------------------

// The 4 x 4 Bayer matrix; entry (x mod 4) * 4 + (y mod 4).
const std::int32_t DitherMatrix[16] = {1, 9, 3, 11, 13, 5, 15, 7, 4, 12, 2, 10, 16, 8, 14, 6};

namespace {

// A window around a palette colour, inclusive ranges, and the exact colour it snaps to.
struct SelectiveWindow {
    std::int32_t RLow, RHigh, GLow, GHigh, BLow, BHigh;
    std::int32_t R, G, B;
};

const SelectiveWindow SelectiveWindows[16] = {
    {0, 7, 0, 7, 0, 7, 0, 0, 0},                    // Black
    {248, 255, 248, 255, 248, 255, 255, 255, 255},  // White
    {124, 127, 51, 54, 41, 44, 126, 53, 43},        // Red
    {102, 117, 175, 190, 185, 200, 110, 183, 193},  // Cyan
    {119, 134, 51, 66, 158, 173, 127, 59, 166},     // Purple
    {84, 99, 152, 167, 45, 60, 92, 160, 53},        // Green
    {43, 58, 31, 46, 145, 160, 51, 39, 153},        // Blue
    {195, 210, 207, 222, 93, 108, 203, 215, 101},   // Yellow
    {129, 136, 79, 86, 24, 31, 133, 83, 28},        // Orange
    {74, 85, 54, 65, 0, 5, 80, 60, 0},              // Brown
    {178, 181, 105, 108, 95, 98, 180, 107, 97},     // Pink
    {72, 75, 72, 75, 72, 75, 74, 74, 74},           // D Grey
    {115, 118, 115, 118, 115, 118, 117, 117, 117},  // M Grey
    {155, 170, 223, 238, 116, 131, 163, 231, 124},  // L Green
    {104, 119, 92, 107, 206, 221, 112, 100, 214},   // L Blue
    {161, 164, 161, 164, 161, 164, 163, 163, 163},  // L Grey
};

}  // namespace

void OrderedDitherPixel(int x, int y, int strength) {
    const int i = y * 144 + x;
    std::int32_t r = RedPlane[i];
    std::int32_t g = GreenPlane[i];
    std::int32_t b = BluePlane[i];
    if (Form1.RadioButton3) {
        for (int w = 0; w < 16; w++) {
            const SelectiveWindow& win = SelectiveWindows[w];
            if (r >= win.RLow && r <= win.RHigh && g >= win.GLow && g <= win.GHigh &&
                b >= win.BLow && b <= win.BHigh) {
                RedPlane[i] = win.R;
                GreenPlane[i] = win.G;
                BluePlane[i] = win.B;
                return;
            }
        }
    }
    const std::int32_t t = DitherMatrix[(x % 4) * 4 + (y % 4)] * strength;
    r = r - t;
    g = g - t;
    b = b - t;
    if (r < 0) r = 0;
    if (g < 0) g = 0;
    if (b < 0) b = 0;
    RedPlane[i] = r;
    GreenPlane[i] = g;
    BluePlane[i] = b;
}

void OrderedDither() {
    Screen->SetStatus("Ordered Dithering image using C64 colors      ");
    const int strength = 4;
    for (int y = 0; y < 168; y++) {
        Screen->SetProgress(y);
        for (int x = 0; x < 144; x++) OrderedDitherPixel(x, y, strength);
    }
    Screen->SetProgress(0);
}

// ---------------------------------------------------------------------------------------------
// Cell colour-pair search.
// ---------------------------------------------------------------------------------------------
namespace {

// d(c, p): palette colour c against the mapped pixel at index p, in the conversion's mode.
std::uint32_t Distance(int c, int p) {
    if (Form1.CheckBox2) {
        const std::int32_t dY = PaletteY[c] - MappedY[p];
        const std::int32_t dU = PaletteU[c] - MappedU[p];
        const std::int32_t dV = PaletteV[c] - MappedV[p];
        return static_cast<std::uint32_t>(2 * (dY * dY + dU * dU + dV * dV));
    }
    const std::int32_t Rp = (MappedImage[p] >> 16) & 0xFF;
    const std::int32_t Gp = (MappedImage[p] >> 8) & 0xFF;
    const std::int32_t Bp = MappedImage[p] & 0xFF;
    return static_cast<std::uint32_t>(Absolute(PaletteRed[c] - Rp) +
                                      Absolute(PaletteGreen[c] - Gp) +
                                      Absolute(PaletteBlue[c] - Bp));
}

}  // namespace

std::uint32_t CellPairError(int a, int b, int o, int x0, int y) {
    std::uint32_t score = 0;
    for (int i = 0; i < 8; i++) {
        const int p = y * 144 + x0 + i;
        const std::uint32_t e1 = Distance(a, p);
        const std::uint32_t e2 = Distance(b, p);
        const std::uint32_t e3 = Distance(o, p);
        std::uint32_t smallest = e1;
        if (e2 < smallest) smallest = e2;
        if (e3 < smallest) smallest = e3;
        score += smallest;
    }
    return score;
}

int FindCellPair(int o, int x0, int y) {
    struct Candidate {
        int pair;
        std::uint32_t score;
    };
    Candidate candidates[120];
    for (int j = 0; j < 120; j++) {
        candidates[j].pair = j;
        candidates[j].score = CellPairError(ColourPairTable[j][0], ColourPairTable[j][1], o, x0, y);
    }
    int best = 0;
    for (int j = 1; j < 120; j++) {
        if (candidates[j].score < candidates[best].score) best = j;
    }
    return candidates[best].pair;
}

// ---------------------------------------------------------------------------------------------
// Cell rendering.
// ---------------------------------------------------------------------------------------------
void PutSpritePixel(int x0, int y, int i, int o, std::int32_t colour) {
    SpriteLayer[y * 144 + x0 + i] = C64Palette[o];
    HiresLayer[y * 144 + x0 + i] = colour;
}

void PutHiresPixel(int x0, int y, int i, std::int32_t colour) {
    HiresLayer[y * 144 + x0 + i] = colour;
}

namespace {

std::int32_t AssembledColour(int c) {
    return (PaletteRed[c] << 16) | (PaletteGreen[c] << 8) | PaletteBlue[c];
}

}  // namespace

void RenderCellRow(int a, int b, int o, int x0, int y) {
    for (int i = 0; i < 8; i++) {
        const int p = y * 144 + x0 + i;
        const std::uint32_t e1 = Distance(a, p);
        const std::uint32_t e2 = Distance(b, p);
        const std::uint32_t e3 = Distance(o, p);
        enum { WinnerA, WinnerB, WinnerOverlay } winner;
        if (e1 < e2) {
            winner = e3 < e1 ? WinnerOverlay : WinnerA;
        } else {
            winner = e3 <= e2 ? WinnerOverlay : WinnerB;
        }
        if (winner == WinnerOverlay) {
            FinalImage[p] = AssembledColour(o);
            PutSpritePixel(x0, y, i, o, C64Palette[b]);
            SetSpriteBit(x0, y, i);
        } else if (winner == WinnerA) {
            FinalImage[p] = AssembledColour(a);
            PutHiresPixel(x0, y, i, C64Palette[a]);
            SetBitmapBit(x0, y, i);
        } else {
            FinalImage[p] = AssembledColour(b);
            PutHiresPixel(x0, y, i, C64Palette[b]);
        }
        PutScreenColours(x0, y, a, b);
    }
}

// ---------------------------------------------------------------------------------------------
// Overlay colour search and final pass.
// ---------------------------------------------------------------------------------------------
std::uint32_t LayerError() {
    std::uint32_t total = 0;
    for (int y = 0; y < 168; y++) {
        for (int x = 0; x < 144; x++) {
            const std::int32_t f = FinalImage[y * 144 + x];
            const std::int32_t m = MappedImage[y * 144 + x];
            if (Form1.CheckBox2) {
                const YUV yf = RgbToYuv(RedOf(f), GreenOf(f), BlueOf(f));
                const YUV ym = RgbToYuv(RedOf(m), GreenOf(m), BlueOf(m));
                total += static_cast<std::uint32_t>(YuvDistance(yf, ym));
            } else {
                total += static_cast<std::uint32_t>(Absolute(RedOf(f) - RedOf(m)) +
                                                    Absolute(GreenOf(f) - GreenOf(m)) +
                                                    Absolute(BlueOf(f) - BlueOf(m)));
            }
        }
    }
    return total;
}

namespace {

// Pair search and rendering of all 3024 cell rows with overlay colour o.
void ConvertWholePicture(int o) {
    for (int y = 0; y < 168; y++) {
        Screen->SetProgress(y);
        for (int x0 = 0; x0 <= 136; x0 += 8) {
            const int j = FindCellPair(o, x0, y);
            RenderCellRow(ColourPairTable[j][0], ColourPairTable[j][1], o, x0, y);
        }
    }
}

}  // namespace

void ConvertToHiresFli() {
    // 1. One trial per overlay colour.
    for (int n = 0; n < 16; n++) {
        Screen->SetProgress(0);
        Screen->SetStatus("HIFLI Conversion overlay error check " + std::to_string(n));
        Screen->RepaintStatus();
        for (int i = 0; i < PlaneSize; i++) FinalImage[i] = 0;
        ConvertWholePicture(n);
        ShowFinalImage();
        OverlayResults[n].colour = n;
        OverlayResults[n].total = LayerError();
    }
    // 2.
    Screen->SetProgress(0);
    // 3. The first smallest total.
    OverlayResult best = OverlayResults[0];
    for (int n = 1; n < 16; n++) {
        if (OverlayResults[n].total < best.total) best = OverlayResults[n];
    }
    const int o = best.colour;
    // 4.
    Screen->SetStatus("Rendering HiFli Image using Sprite overlay col " + std::to_string(o));
    Screen->RepaintStatus();
    Screen->SetProgress(0);
    // 5. Light grey behind a black overlay, so that the overlay shows in its preview.
    for (int i = 0; i < PlaneSize; i++) {
        FinalImage[i] = 0;
        HiresLayer[i] = 0;
        SpriteLayer[i] = o == 0 ? 0xA3A3A3 : 0x000000;
    }
    // 6.
    for (int a = 0; a < MemorySize; a++) C64Memory[a] = 0;
    // 7.
    ConvertWholePicture(o);
    // 8.
    DisplayerTemplateByte25 = static_cast<std::uint8_t>(o);
    // 9.
    ShowFinalImage();
    Screen->SetProgress(0);
    ShowSpriteLayer();
    ShowHiresLayer();
    // 10.
    WriteSpritePointers();
    FillBackground(Form1.ComboBox1ItemIndex);
    // 11. The bank $4000-$7FFF.
    for (int k = 0; k < BankSize; k++) RawBuffer[k] = C64Memory[0x4000 + k];
    // 12.
    ConversionDone = 1;
}

void ShowPixelError() {
    int count = 0;
    for (int i = 0; i < PlaneSize; i++) {
        if (FinalImage[i] != MappedImage[i]) count++;
    }
    // Exact: the integer part of 100 * count / 24192.
    const int percent = 100 * count / 24192;
    Screen->SetPixelErrorText(std::to_string(percent));
}

// ---------------------------------------------------------------------------------------------
// The C64 bank.
// ---------------------------------------------------------------------------------------------

// Row k: the pointers of screen k. Sprite 0 the solid block 239, sprites 1..6 the overlay
// blocks in the bitmap margins and below the picture, sprite 7 off.
const std::uint8_t SpritePointerTable[8][8] = {
    {239, 128, 132, 133, 137, 138, 142, 0}, {239, 143, 147, 148, 152, 153, 157, 0},
    {239, 158, 162, 163, 167, 168, 172, 0}, {239, 173, 177, 178, 182, 183, 187, 0},
    {239, 188, 192, 193, 197, 198, 202, 0}, {239, 203, 207, 208, 212, 213, 217, 0},
    {239, 218, 222, 223, 227, 228, 232, 0}, {239, 233, 234, 235, 236, 237, 238, 0},
};

void PutScreenColours(int x0, int y, int high, int low) {
    C64Memory[0x4000 + (y % 8) * 0x400 + (y / 8) * 40 + 11 + x0 / 8] =
        static_cast<std::uint8_t>((high % 16) * 16 + (low % 16));
}

void SetBitmapBit(int x0, int y, int i) {
    const int address = 0x6058 + (y / 8) * 320 + x0 + (y % 8);
    C64Memory[address] = static_cast<std::uint8_t>((C64Memory[address] + (0x80 >> i)) & 0xFF);
}

void SetSpriteBit(int x0, int y, int i) {
    const int c = x0 / 8;
    const int address = SpriteRowAddressTable[y][c / 3] + (c % 3);
    C64Memory[address] = static_cast<std::uint8_t>(C64Memory[address] | (0x80 >> i));
}

void WriteSpritePointers() {
    for (int k = 0; k < 8; k++) {
        for (int i = 0; i < 8; i++) C64Memory[0x43F8 + k * 0x400 + i] = SpritePointerTable[k][i];
    }
    for (int a = 0x7BC0; a <= 0x7BFF; a++) C64Memory[a] = 0xFF;
}

void FillBackground(int index) {
    const int b = index & 0xFF;
    const int v = (b * 16 + b) % 256;
    DisplayerTemplateByte26 = static_cast<std::uint8_t>(b);
    for (int k = 0; k < 8; k++) {
        for (int row = 0; row <= 20; row++) {
            for (int column = 0; column <= 10; column++) {
                C64Memory[0x4000 + k * 0x400 + row * 40 + column] = static_cast<std::uint8_t>(v);
            }
            for (int column = 29; column <= 39; column++) {
                C64Memory[0x4000 + k * 0x400 + row * 40 + column] = static_cast<std::uint8_t>(v);
            }
        }
    }
    for (int k = 0; k < 8; k++) {
        for (int offset = 840; offset <= 999; offset++) {
            C64Memory[0x4000 + k * 0x400 + offset] = static_cast<std::uint8_t>(v);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The "Process" button.
// ---------------------------------------------------------------------------------------------
void Button1Click() {
    // 1.
    SeparateChannels();
    // 2.
    if (Form1.RadioButton1) {
        ErrorDiffusionDither();
        MapToPalette();
    }
    // 3. Both states read before anything runs.
    {
        const bool forced = Form1.RadioButton2;
        const bool selective = Form1.RadioButton3;
        if (forced || selective) {
            OrderedDither();
            MapToPalette();
        }
    }
    // 4.
    if (Form1.RadioButton4) MapToPalette();
    // 5.
    ShowMappedImage();
    if (Form1.CheckBox3) {
        // 6.
        ClearPreviews();
        ShowMappedImage();
        Screen->SetStatus("C64 color conversion only  ");
    } else {
        // 7.
        ConvertToHiresFli();
        ShowPixelError();
        Screen->SetStatus("Processed                  ");
    }
}

}  // namespace oracle
