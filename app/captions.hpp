// Texts that more than one window shows.
#pragma once

namespace zimbor {

inline constexpr char kApplicationName[] = "Zimbor Converter";
inline constexpr char kCopyrightNotice[] = "(c) 2026 The Zimbor developers";
// The main window's title: the name, a dash, the notice.
inline constexpr char kMainWindowCaption[] = "Zimbor Converter - (c) 2026 The Zimbor developers";

}  // namespace zimbor
