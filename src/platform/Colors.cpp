#include "platform/Colors.h"

#include <QApplication>
#include <QPalette>

namespace qx {

namespace {
QColor systemColor(uint32_t index)
{
    QPalette pal = QGuiApplication::instance() ? QGuiApplication::palette() : QPalette();
    switch (index) {
    case 0x00: return pal.color(QPalette::Mid);
    case 0x01: return QColor(0, 128, 128);
    case 0x02: return pal.color(QPalette::Highlight);
    case 0x03: return pal.color(QPalette::Inactive, QPalette::Highlight);
    case 0x04: return pal.color(QPalette::Window);
    case 0x05: return pal.color(QPalette::Base);
    case 0x06: return pal.color(QPalette::Shadow);
    case 0x07: return pal.color(QPalette::WindowText);
    case 0x08: return pal.color(QPalette::Text);
    case 0x09: return pal.color(QPalette::HighlightedText);
    case 0x0A: case 0x0B: return pal.color(QPalette::Button);
    case 0x0C: return pal.color(QPalette::Dark);
    case 0x0D: return pal.color(QPalette::Highlight);
    case 0x0E: return pal.color(QPalette::HighlightedText);
    case 0x0F: return pal.color(QPalette::Button);
    case 0x10: return pal.color(QPalette::Dark);
    case 0x11: return pal.color(QPalette::Disabled, QPalette::Text);
    case 0x12: return pal.color(QPalette::ButtonText);
    case 0x13: return pal.color(QPalette::Inactive, QPalette::WindowText);
    case 0x14: return pal.color(QPalette::Light);
    case 0x15: return pal.color(QPalette::Shadow);
    case 0x16: return pal.color(QPalette::Midlight);
    case 0x17: return pal.color(QPalette::ToolTipText);
    case 0x18: return pal.color(QPalette::ToolTipBase);
    default: return pal.color(QPalette::Window);
    }
}
} // namespace

QColor oleToColor(uint32_t ole)
{
    if (ole & 0x80000000u)
        return systemColor(ole & 0xFFu);
    return QColor(int(ole & 0xFF), int((ole >> 8) & 0xFF), int((ole >> 16) & 0xFF));
}

uint32_t colorToOle(const QColor &c) { return rgb(c.red(), c.green(), c.blue()); }

uint32_t oleResolve(uint32_t ole) { return colorToOle(oleToColor(ole)); }

} // namespace qx
