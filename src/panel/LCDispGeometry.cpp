#include "panel/LCDispGeometry.h"

#include <QRect>
#include <algorithm>
#include <cmath>
#include <vector>

namespace qx::lcd {

namespace {
// A rectangle given by its corners, right and bottom outside.
QRect corners(int x1, int y1, int x2, int y2) { return QRect(x1, y1, x2 - x1, y2 - y1); }

QRegion polygonRegion(const QPolygon &poly) { return QRegion(poly, Qt::WindingFill); }

constexpr double kDegPerRad = 57.2957763671875;
constexpr double kRadPerDeg = 0.01745329238474369;
} // namespace

std::optional<QSize> cellSize(const GroupSizes &s)
{
    const int h = s.h, w = s.w, g = s.g;
    switch (s.style) {
    case StyleHex: return QSize(h + w + 2 * g, 2 * h + w + 4 * g);
    case StyleTrapezoid: return QSize(h + 2 * g, 2 * h + 4 * g);
    case StyleRect: return QSize(2 * w + h + 2 * g - 3, 2 * h + 3 * w + 4 * g - 4);
    default: return std::nullopt;
    }
}

std::optional<std::array<SegmentPlace, 7>> segmentPlaces(const GroupSizes &s)
{
    const int h = s.h, w = s.w, g = s.g, w2 = s.w / 2;
    switch (s.style) {
    case StyleHex:
        return std::array<SegmentPlace, 7>{{
            {HexHorizontal, {w2 + g, 0}},
            {HexVertical, {h + 2 * g, w2 + g}},
            {HexVertical, {h + 2 * g, h + w2 + 3 * g}},
            {HexHorizontal, {w2 + g, 2 * h + 4 * g}},
            {HexVertical, {0, h + w2 + 3 * g}},
            {HexVertical, {0, w2 + g}},
            {HexHorizontal, {w2 + g, h + 2 * g}},
        }};
    case StyleTrapezoid:
        return std::array<SegmentPlace, 7>{{
            {TrapTop, {g, 0}},
            {TrapRight, {h + 2 * g - w, g}},
            {TrapRight, {h + 2 * g - w, h + 3 * g}},
            {TrapBottom, {g, 2 * h + 4 * g - w}},
            {TrapLeft, {0, h + 3 * g}},
            {TrapLeft, {0, g}},
            {HexHorizontal, {g, h + 2 * g - w2}},
        }};
    case StyleRect:
        return std::array<SegmentPlace, 7>{{
            {RectHorizontal, {w + g - 1, 0}},
            {RectVertical, {w + h + 2 * g - 2, w + g - 1}},
            {RectVertical, {w + h + 2 * g - 2, h + 2 * w + 3 * g - 3}},
            {RectHorizontal, {w + g - 1, 2 * h + 2 * w + 4 * g - 4}},
            {RectVertical, {0, h + 2 * w + 3 * g - 3}},
            {RectVertical, {0, w + g - 1}},
            {RectHorizontal, {w + g - 1, h + w + 2 * g - 2}},
        }};
    default: return std::nullopt;
    }
}

QPolygon hexPolygon(int width, int height)
{
    int t = std::min(width, height);
    if (t < 4)
        t = 4;
    if (t % 2 != 0)
        --t;
    const int t2 = t / 2;
    if (height <= width) {
        const int L = width;
        return QPolygon({QPoint(0, t2), QPoint(t2, t), QPoint(L - t2, t), QPoint(L, t2), QPoint(L, t2 - 1),
                         QPoint(L - t2 + 1, 0), QPoint(t2 - 1, 0), QPoint(0, t2 - 1)});
    }
    const int L = height;
    return QPolygon({QPoint(t2, L), QPoint(t, L - t2), QPoint(t, t2 - 1), QPoint(t2, -1), QPoint(t2 - 1, 0),
                     QPoint(0, t2 - 1), QPoint(0, L - t2), QPoint(t2, L)});
}

QPolygon trapezoidPolygon(int region, int h, int w)
{
    const int small = std::min(h, w), large = std::max(h, w);
    const int d = large < 2 * small ? large / 2 : small;
    switch (region) {
    case TrapTop: return QPolygon({QPoint(0, 0), QPoint(d, d), QPoint(h - d, d), QPoint(h, 0), QPoint(0, 0)});
    case TrapRight:
        return QPolygon({QPoint(0, d - 1), QPoint(0, h - d), QPoint(d, h), QPoint(d, -1), QPoint(0, d - 1)});
    case TrapBottom:
        return QPolygon({QPoint(d - 1, 0), QPoint(-1, d), QPoint(h + 1, d), QPoint(h + 1 - d, 0), QPoint(d - 1, 0)});
    case TrapLeft:
        return QPolygon({QPoint(0, -1), QPoint(0, h), QPoint(d, h - d), QPoint(d, d - 1), QPoint(0, -1)});
    default: return {};
    }
}

namespace {
QRegion markRegion(int kind, int h, int w, int yOffset)
{
    switch (kind) {
    case 0: {
        const int top = yOffset - w;
        return polygonRegion(QPolygon(
            {QPoint(h / 2, top), QPoint(h / 2 + w, top), QPoint(w, top + h), QPoint(0, top + h)}));
    }
    case 1: return QRegion(corners(0, 0, w - 1, w - 1));
    default: return {};
    }
}
} // namespace

Regions makeRegions(int h, int w, int yOffset, int decimalKind, int thousandsKind)
{
    Regions r;
    r[HexVertical] = polygonRegion(hexPolygon(w, h));
    r[HexHorizontal] = polygonRegion(hexPolygon(h, w));
    for (int i = TrapTop; i <= TrapLeft; ++i)
        r[size_t(i)] = polygonRegion(trapezoidPolygon(i, h, w));
    r[RectVertical] = QRegion(corners(0, 0, w - 1, h - 1));
    r[RectHorizontal] = QRegion(corners(0, 0, h - 1, w - 1));
    r[PointMark] = markRegion(decimalKind, h, w, yOffset);
    r[ThousandsMark] = markRegion(thousandsKind, h, w, yOffset);
    return r;
}

QRegion innerFrame(const QRegion &r)
{
    const QRegion core = r & r.translated(1, 0) & r.translated(-1, 0) & r.translated(0, 1) & r.translated(0, -1);
    return r - core;
}

QRegion roundedRegion(int x1, int y1, int x2, int y2, int rTL, int rTR, int rBL, int rBR)
{
    QRegion base(corners(x1, y1, x2, y2));
    const auto cut = [&base](QRect square, QRect ellipse) {
        if (square.isEmpty())
            return;
        base -= QRegion(square) - QRegion(ellipse, QRegion::Ellipse);
    };
    cut(corners(x1, y1, x1 + rTL, y1 + rTL), corners(x1, y1, x1 + 2 * rTL, y1 + 2 * rTL));
    cut(corners(x2 - rTR, y1, x2, y1 + rTR), corners(x2 + 1 - 2 * rTR, y1, x2 + 1, y1 + 2 * rTR));
    cut(corners(x1, y2 - rBL, x1 + rBL, y2), corners(x1, y2 + 1 - 2 * rBL, x1 + 2 * rBL, y2 + 1));
    cut(corners(x2 - rBR, y2 - rBR, x2, y2), corners(x2 + 1 - 2 * rBR, y2 + 1 - 2 * rBR, x2 + 1, y2 + 1));
    return base;
}

std::optional<QPoint> markPlace(int kind, int cellX, QSize cell, int yOff, int w, int gap, int style)
{
    switch (kind) {
    case 0: return QPoint(cellX + cell.width() - w, yOff + cell.height() - w - 1);
    case 1:
        return QPoint(cellX + cell.width() + gap / 2 - w / 2,
                      yOff + cell.height() - w + 1 - (style == StyleRect ? 1 : 0));
    default: return std::nullopt;
    }
}

std::array<QPoint, 2> colonPlaces(int cellX, int cw, int yOff, int h, int w, int gap)
{
    const int x = cellX + cw + gap / 2 - w / 2 + 1;
    const int y = yOff + h / 2 + w / 2;
    return {QPoint(x, y), QPoint(x, y + h)};
}

QImage fillGradient(int w, int h, uint32_t c1, uint32_t c2, float angle, bool middleOut)
{
    if (w < 1 || h < 1)
        return {};
    if (angle >= 91 && angle <= 270 && middleOut)
        std::swap(c1, c2);
    double comp = 90.0 - double(angle);
    if (!std::isfinite(comp))
        comp = 0;
    int a = int(std::fmod(std::nearbyint(comp), 360.0));
    if (a < 0)
        a += 360;
    const int q = a / 90;
    const int r = a % 90;
    const double ratio = q % 2 == 0 ? double(w) / h : double(h) / w;
    const double diag = std::atan(ratio) * kDegPerRad;
    const float t = float((90.0 - std::fabs(r - diag)) * kRadPerDeg);
    const double len = std::sqrt(double(w) * w + double(h) * h);
    // At least one step, so every pixel has a colour.
    const long n = std::max(1L, std::lrint(len * std::sin(double(t))));
    if (q >= 2)
        std::swap(c1, c2);

    const int R1 = c1 & 0xFF, G1 = (c1 >> 8) & 0xFF, B1 = (c1 >> 16) & 0xFF;
    const int R2 = c2 & 0xFF, G2 = (c2 >> 8) & 0xFF, B2 = (c2 >> 16) & 0xFF;
    std::vector<QRgb> steps(static_cast<size_t>(n));
    if (n == 1) {
        steps[0] = qRgb(R1 / 2 + R2 / 2, G1 / 2 + G2 / 2, B1 / 2 + B2 / 2);
    } else {
        for (long i = 0; i < n; ++i)
            steps[size_t(i)] = qRgb(R1 + int((R2 - R1) * i / (n - 1)), G1 + int((G2 - G1) * i / (n - 1)),
                                    B1 + int((B2 - B1) * i / (n - 1)));
    }
    std::vector<QRgb> table;
    table.reserve(steps.size());
    if (middleOut) {
        for (long i = 0; i < n; i += 2)
            table.push_back(steps[size_t(i)]);
        for (long i = (n - 1) % 2 == 1 ? n - 1 : n - 2; i >= 1; i -= 2)
            table.push_back(steps[size_t(i)]);
    } else {
        table = steps;
    }
    const long last = long(table.size()) - 1;
    const auto at = [&](long idx) { return table[size_t(std::clamp(idx, 0L, last))]; };

    QImage img(w, h, QImage::Format_RGB32);
    if (img.isNull())
        return img;
    const double rad = r * (M_PI / 180.0);
    if (q % 2 == 0) {
        const long s = std::lrint(1000 * std::sin(rad)), c = std::lrint(1000 * std::cos(rad));
        for (int j = 0; j < h; ++j) { // j counts rows from the bottom
            auto *line = reinterpret_cast<QRgb *>(img.scanLine(h - 1 - j));
            for (int x = 0; x < w; ++x)
                line[x] = at((s * x + c * j) / 1000);
        }
    } else {
        const double rr = 1.5707964 - rad;
        const long s = std::lrint(1000 * std::sin(rr)), c = std::lrint(1000 * std::cos(rr));
        for (int k = 0; k < h; ++k) { // k counts rows from the top
            auto *line = reinterpret_cast<QRgb *>(img.scanLine(k));
            for (int x = 0; x < w; ++x)
                line[x] = at((s * x + c * k) / 1000);
        }
    }
    return img;
}

} // namespace lcd
