// The two logo pictures, drawn at start-up from the C64 palette rather than stored.
#pragma once

#include <QImage>

namespace zimbor {

inline constexpr int kTitleLogoWidth = 858;
inline constexpr int kTitleLogoHeight = 94;
inline constexpr int kAboutLogoSide = 100;

// The banner across the top of the main window.
QImage TitleLogo();
// The square picture of the About window.
QImage AboutLogo();

}  // namespace zimbor
