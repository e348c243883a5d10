// The reference conversion: a literal, deliberately plain implementation of every stage from the
// crop to the finished C64 bank, one loop per rule, nothing cached and nothing fused. It keeps the
// shape of the original window program: process-wide planes, memory image and buffers, stages
// without arguments that read their settings from the window's controls and report to the status
// bar, the progress bar and the previews. The fast conversion code is tested against it.
//
// It shares nothing with the code under test except the Reporter interface it reports to (and
// the Plane type that interface paints).
#pragma once

#include <cstdint>

#include "colour/report.hpp"

namespace oracle {

inline constexpr int PictureWidth = 144;
inline constexpr int PictureHeight = 168;
inline constexpr int PlaneSize = PictureWidth * PictureHeight;  // 24192
inline constexpr int MemorySize = 65536;
inline constexpr int BankSize = 16384;

// ---------------------------------------------------------------------------------------------
// Palette, Y/U/V and the two distances.
// ---------------------------------------------------------------------------------------------
extern const std::int32_t C64Palette[16];  // plane colours 0xRRGGBB
extern std::uint8_t PaletteRed[16];
extern std::uint8_t PaletteGreen[16];
extern std::uint8_t PaletteBlue[16];
extern std::int32_t PaletteY[16];
extern std::int32_t PaletteU[16];
extern std::int32_t PaletteV[16];
void BuildPaletteTables();

struct YUV {
    std::int32_t Y;
    std::int32_t U;
    std::int32_t V;
};
YUV RgbToYuv(std::int32_t R, std::int32_t G, std::int32_t B);
std::int32_t YuvDistance(YUV a, YUV b);
std::int32_t RgbDistance(std::int32_t a, std::int32_t b);  // of two plane colours

// ---------------------------------------------------------------------------------------------
// The process-wide state.
// ---------------------------------------------------------------------------------------------
extern std::int32_t RedPlane[PlaneSize];
extern std::int32_t GreenPlane[PlaneSize];
extern std::int32_t BluePlane[PlaneSize];
extern std::int32_t MappedImage[PlaneSize];
extern std::int32_t MappedY[PlaneSize];
extern std::int32_t MappedU[PlaneSize];
extern std::int32_t MappedV[PlaneSize];
extern std::int32_t FinalImage[PlaneSize];
extern std::int32_t SpriteLayer[PlaneSize];
extern std::int32_t HiresLayer[PlaneSize];

extern std::uint8_t C64Memory[MemorySize];
extern std::uint8_t RawBuffer[BankSize];
extern std::uint8_t DisplayerTemplateByte25;  // overlay colour, C64 $0817
extern std::uint8_t DisplayerTemplateByte26;  // background colour, C64 $0818
extern int ConversionDone;

struct OverlayResult {
    std::int32_t colour;
    std::uint32_t total;
};
extern OverlayResult OverlayResults[16];

// The crop as Image1 shows it: canvas colours 0x00BBGGRR.
extern std::uint32_t WorkingImage[PlaneSize];

// The controls of the main window that the stages read.
struct MainWindowControls {
    int TrackBar1 = 0;           // red offset
    int TrackBar2 = 0;           // green offset
    int TrackBar3 = 0;           // blue offset
    int TrackBar4 = 0;           // brightness
    int TrackBar5 = 0;           // contrast
    bool RadioButton1 = false;   // "Custom Dither"
    bool RadioButton2 = false;   // "Forced Ordered"
    bool RadioButton3 = true;    // "Selective Ordered"
    bool RadioButton4 = false;   // "None"
    bool CheckBox2 = true;       // "YUV Distance"
    bool CheckBox3 = false;      // "Preview Only"
    bool CheckBox4 = false;      // "Skip YUV Color reduction"
    int ComboBox1ItemIndex = 0;  // "BG Col"
};
extern MainWindowControls Form1;

// Status bar, progress bar, previews and Label8. Never null; a NullReporter at start.
extern zimbor::Reporter* Screen;

// Everything as it stands when the program has started: planes, memory and buffers zero, the
// template's colour bytes at their initial values, the palette tables built, default controls.
void StartProgram();

// ---------------------------------------------------------------------------------------------
// Stages, in the order a Process run calls them.
// ---------------------------------------------------------------------------------------------
void SeparateChannels();

std::int32_t NearestPaletteColour(std::int32_t colour);
void MapToPalette();

void DiffuseError(int x, int y, std::int32_t chosen, std::int32_t current);
void ErrorDiffusionDither();

extern const std::int32_t DitherMatrix[16];
void OrderedDitherPixel(int x, int y, int strength);
void OrderedDither();

extern std::int32_t ColourPairTable[120][2];
std::uint32_t CellPairError(int a, int b, int o, int x0, int y);
int FindCellPair(int o, int x0, int y);

void PutSpritePixel(int x0, int y, int i, int o, std::int32_t colour);
void PutHiresPixel(int x0, int y, int i, std::int32_t colour);
void RenderCellRow(int a, int b, int o, int x0, int y);

std::uint32_t LayerError();
void ConvertToHiresFli();
void ShowPixelError();

// The bank writers.
extern const std::uint8_t SpritePointerTable[8][8];
extern std::int32_t SpriteRowAddressTable[168][6];
void PutScreenColours(int x0, int y, int high, int low);
void SetBitmapBit(int x0, int y, int i);
void SetSpriteBit(int x0, int y, int i);
void WriteSpritePointers();
void FillBackground(int index);

// The painters and the preview reset.
void ShowMappedImage();
void ShowFinalImage();
void ShowSpriteLayer();
void ShowHiresLayer();
void ClearPreviews();

// The "Process" button.
void Button1Click();

}  // namespace oracle
