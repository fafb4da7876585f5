#pragma once
// Colours travel as 0x00BBGGRR integers (red in the low byte). A value with
// the top bit set names a system colour (low byte = index) and is translated
// through the application palette.
#include <QColor>
#include <cstdint>

namespace qx {

// System colour indexes used by the program (value = 0x80000000 | index).
enum SysColor : uint32_t {
    SysScrollBar = 0x80000000, SysDesktop = 0x80000001, SysActiveTitle = 0x80000002,
    SysInactiveTitle = 0x80000003, SysMenu = 0x80000004, SysWindow = 0x80000005,
    SysWindowFrame = 0x80000006, SysMenuText = 0x80000007, SysWindowText = 0x80000008,
    SysTitleText = 0x80000009, SysActiveBorder = 0x8000000A, SysInactiveBorder = 0x8000000B,
    SysAppWorkspace = 0x8000000C, SysHighlight = 0x8000000D, SysHighlightText = 0x8000000E,
    SysButtonFace = 0x8000000F, SysButtonShadow = 0x80000010, SysGrayText = 0x80000011,
    SysButtonText = 0x80000012, SysInactiveTitleText = 0x80000013, SysButtonHighlight = 0x80000014,
    SysButtonDarkShadow = 0x80000015, SysButtonLight = 0x80000016, SysInfoText = 0x80000017,
    SysInfoBackground = 0x80000018
};

// 0x00BBGGRR (or a system colour) to QColor.
QColor oleToColor(uint32_t ole);
// QColor to 0x00BBGGRR.
uint32_t colorToOle(const QColor &c);
// The 24-bit RGB value of a colour (system colours translated), 0x00BBGGRR.
uint32_t oleResolve(uint32_t ole);
constexpr uint32_t rgb(int r, int g, int b)
{
    return uint32_t(r & 255) | (uint32_t(g & 255) << 8) | (uint32_t(b & 255) << 16);
}

// Positions and sizes: 15 twips per pixel.
constexpr int TwipsPerPixel = 15;
constexpr int twipsToPx(int twips) { return twips / TwipsPerPixel; }
constexpr int pxToTwips(int px) { return px * TwipsPerPixel; }

} // namespace qx
