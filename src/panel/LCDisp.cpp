#include "panel/LCDisp.h"

#include "panel/LCDispText.h"
#include "platform/Colors.h"
#include "platform/Numbers.h"
#include "platform/QxError.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <bit>

using namespace qx::lcd;

namespace {
constexpr int MainGroup = 0;
constexpr int ExpGroup = 1;

// Fills region r placed at `at` (drawn rectangle by rectangle: a region
// moved to its place first would be copied for every segment drawn).
void fillRegion(QPainter &p, const QRegion &r, const QColor &c, QPoint at = QPoint())
{
    for (const QRect &rc : r)
        p.fillRect(rc.translated(at), c);
}

// Copies img through region r, both placed with their origin at `at`.
void blitThrough(QPainter &p, const QImage &img, const QRegion &r, QPoint at)
{
    if (img.isNull())
        return;
    for (const QRect &rc : r) {
        const QRect src = rc & img.rect();
        if (!src.isEmpty())
            p.drawImage(src.topLeft() + at, img, src);
    }
}

// The shaded fill of a segment: the gradient rows (or columns) 1 to w - 1
// across the segment's thickness, stretched to the segment's size.
QImage shadedSegment(const QImage &grad, bool horizontal, int h, int w)
{
    if (grad.isNull() || h < 1 || w < 1)
        return {};
    const QImage part = horizontal ? grad.copy(0, 1, h, w - 1) : grad.copy(1, 0, w - 1, h);
    if (part.isNull() || part.width() < 1 || part.height() < 1)
        return horizontal ? grad.copy(0, 0, h, w) : grad.copy(0, 0, w, h);
    return part.scaled(horizontal ? QSize(h, w) : QSize(w, h), Qt::IgnoreAspectRatio, Qt::FastTransformation);
}
} // namespace

LCDisp::LCDisp(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(qx::twipsToPx(6045), qx::twipsToPx(465));
    rebuild();
    redraw();
}

// ---- properties ---------------------------------------------------------

const PropInfo &LCDisp::propInfo(const Field &f)
{
    for (const PropInfo &pi : propTable())
        if (pi.field == f)
            return pi;
    qx::raise(qx::ErrInvalidProperty); // every field has an entry
}

void LCDisp::checkRange(const PropInfo &info, long long v)
{
    if (info.lo <= info.hi && (v < info.lo || v > info.hi))
        qx::raise(qx::ErrInvalidProperty);
}

void LCDisp::applyEffect(Effect e)
{
    switch (e) {
    case Effect::Background:
        buildGradient();
        redraw();
        break;
    case Effect::Redraw: redraw(); break;
    case Effect::Rebuild:
    case Effect::Picture:
        rebuild();
        renderValue(true);
        break;
    case Effect::RebuildRedraw:
        rebuild();
        redraw();
        break;
    case Effect::Value: renderValue(true); break;
    case Effect::None:
    case Effect::Theme:
    case Effect::Text: break;
    }
}

void LCDisp::set_MainDigits(int segmentHeight, int interDigitGap, int yOffset, int numDigits)
{
    holdEffects_ = true;
    try {
        set_SegmentHeight(segmentHeight);
        set_InterDigitGap(interDigitGap);
        set_YOffset(yOffset);
        set_NumDigits(numDigits);
    } catch (...) {
        holdEffects_ = false;
        applyEffect(Effect::Rebuild);
        throw;
    }
    holdEffects_ = false;
    applyEffect(Effect::Rebuild);
}

void LCDisp::set_Theme(int v)
{
    p_.Theme = v;
    Q_EMIT PropertyChanged(QStringLiteral("Theme"));
    if (const auto size = applyTheme(p_, v))
        resize(qx::twipsToPx(size->width()), qx::twipsToPx(size->height()));
    rebuild();
    redraw();
}

void LCDisp::set_Value(const QString &v)
{
    QString value = normaliseValue(v);
    // The value on screen again (a steady reading): no cell changes, so
    // nothing is drawn; beginning a painter on the surface alone costs more
    // than the whole comparison.
    const bool shown = value == p_.Value && !pending_ && builtSize_ == size() && !surface_.isNull() &&
                       isVisible();
    p_.Value = std::move(value);
    if (shown)
        painted_ = {};
    else
        renderValue(false);
    Q_EMIT PropertyChanged(QStringLiteral("Value"));
}

void LCDisp::ReadProperties(const qx::PropertyBag &bag)
{
    p_ = readProps(bag);
    rebuild();
    redraw();
}

void LCDisp::WriteProperties(qx::PropertyBag &bag) const { writeProps(p_, bag); }

// ---- building -----------------------------------------------------------

void LCDisp::rebuild()
{
    main_.sizes = {p_.SegmentHeight, p_.SegmentWidth, p_.InterSegmentGap, p_.SegmentStyle};
    main_.yOffset = p_.YOffset;
    exp_.sizes = {p_.SegmentHeightExp, p_.SegmentWidthExp, p_.InterSegmentGapExp, p_.SegmentStyleExp};
    exp_.yOffset = p_.YOffsetExp;
    buildSegmentImages();
    buildGradient();
    surface_ = QImage(size(), QImage::Format_RGB32);
    builtSize_ = size();
    for (Group *g : {&main_, &exp_}) {
        const std::array<int64_t, 5> from{g->sizes.h, g->sizes.w, g->yOffset, p_.DecimalSeparator,
                                          p_.ThousandsSeparator};
        if (from != g->regionsFrom) {
            g->regions = makeRegions(g->sizes.h, g->sizes.w, g->yOffset, p_.DecimalSeparator, p_.ThousandsSeparator);
            g->regionsFrom = from;
        }
    }
    layoutCells();
    composeBackground();
}

void LCDisp::buildSegmentImages()
{
    const uint32_t c1 = qx::oleResolve(p_.Seg3DColor1), c2 = qx::oleResolve(p_.Seg3DColor2);
    const bool mid = p_.Seg3DMiddleOut;
    for (Group *g : {&main_, &exp_}) {
        const int h = g->sizes.h, w = g->sizes.w;
        const std::array<int64_t, 5> from{h, w, c1, c2, mid};
        if (from == g->fillsFrom)
            continue;
        g->fillsFrom = from;
        const QImage hGrad = fillGradient(h, w + 1, c1, c2, 90, mid);
        g->horizontal = shadedSegment(hGrad, true, h, w);
        g->vertical = shadedSegment(fillGradient(w + 1, h, c1, c2, 180, mid), false, h, w);
        if (g == &main_) // the point's fill: the bottom-left w x w of the horizontal gradient
            pointImage_ = hGrad.isNull() ? QImage() : hGrad.copy(0, 1, w, w);
    }
}

void LCDisp::buildGradient()
{
    const uint32_t c1 = qx::oleResolve(p_.BackColor1), c2 = qx::oleResolve(p_.BackColor2);
    const std::array<int64_t, 6> from{width(), height(), c1, c2, std::bit_cast<int32_t>(p_.BackAngle),
                                      p_.BackMiddleOut};
    if (from == gradientFrom_)
        return;
    gradient_ = fillGradient(width(), height(), c1, c2, p_.BackAngle, p_.BackMiddleOut);
    gradientFrom_ = from;
}

void LCDisp::layoutCells()
{
    const struct {
        Group *g;
        int count, x0, gap;
    } groups[] = {{&main_, p_.NumDigits, p_.XOffset, p_.InterDigitGap},
                  {&exp_, p_.NumDigitsExp, p_.XOffsetExp, p_.InterDigitGapExp}};
    for (const auto &it : groups) {
        Group &g = *it.g;
        if (const auto cs = cellSize(g.sizes))
            g.cell = *cs;
        g.cellX.resize(size_t(std::max(0, it.count)));
        for (size_t i = 0; i < g.cellX.size(); ++i)
            g.cellX[i] = p_.BorderWidth + it.x0 + int(i) * (g.cell.width() + it.gap);
        // A cell's wipe: the whole column inside the border for hexagonal
        // cells, else the cell; and every row a segment reaches past that
        // (the top segment of a cell at the top edge lies on the border
        // row), or a segment that goes out leaves a line behind.
        const bool hex = g.sizes.style == StyleHex;
        g.wipeTop = hex ? p_.BorderWidth : g.yOffset;
        g.wipeBottom = hex ? height() - p_.BorderWidth - 1 : g.yOffset + g.cell.height() - 1;
        if (const auto places = segmentPlaces(g.sizes))
            for (const SegmentPlace &pl : *places) {
                const QRect b = g.regions[size_t(pl.region)].boundingRect().translated(pl.at);
                g.wipeTop = std::min(g.wipeTop, g.yOffset + b.top());
                g.wipeBottom = std::max(g.wipeBottom, g.yOffset + b.bottom());
            }
    }
}

void LCDisp::composeBackground()
{
    pointDrawn_ = colonDrawn_ = QRegion();
    marksDrawn_.assign(size_t(std::max(0, p_.NumDigits)), QRegion());
    if (surface_.isNull())
        return;
    QPainter p(&surface_);
    const bool picture = !p_.Picture.isNull() && p_.Picture.width() > 0 && p_.Picture.height() > 0;
    if (gradient_.isNull())
        surface_.fill(Qt::black);
    else
        p.drawImage(0, 0, gradient_);
    if (picture)
        paintPicture(p);
    paintBorder(p);
    // The background image holds the border too, so wiping a mark that
    // reaches into the border restores it.
    background_ = surface_.copy();
    update();
}

void LCDisp::paintPicture(QPainter &p)
{
    const int bw = p_.BorderWidth;
    switch (p_.PictureMode) {
    case 0: p.drawImage(0, 0, p_.Picture); break;
    case 1: p.drawImage(QRect(bw, bw, width() - bw, height() - bw), p_.Picture); break;
    case 2:
        p.setBrushOrigin(bw, bw);
        p.fillRect(QRect(bw, bw, width() - 2 * bw, height() - 2 * bw),
                   QBrush(p_.Picture.convertToFormat(QImage::Format_RGB32)));
        p.setBrushOrigin(0, 0);
        break;
    default: break;
    }
}

void LCDisp::paintBorder(QPainter &p)
{
    const int W = width(), H = height(), bw = p_.BorderWidth;
    // A radius beyond the control's size is drawn as that size: the corner
    // then spans the whole control, and the outline is never built larger
    // than the control whatever the property holds.
    const auto radius = [bound = std::max(W, H)](int r) { return std::clamp(r, 0, std::max(bound, 0)); };
    const int tl = radius(p_.CurveTopLeft), tr = radius(p_.CurveTopRight), bl = radius(p_.CurveBottomLeft),
              br = radius(p_.CurveBottomRight);
    const QRegion outer = roundedRegion(0, 0, W, H, tl, tr, bl, br);
    const QRegion inner = roundedRegion(bw, bw, W - bw, H - bw, tl, tr, bl, br);
    fillRegion(p, outer - inner, qx::oleToColor(p_.BorderColor));
    // The corners cut away are see-through.
    const QRegion mask = (tl > 0 || tr > 0 || bl > 0 || br > 0) ? outer : QRegion();
    if (mask != mask_) {
        mask_ = mask;
        if (mask_.isEmpty())
            clearMask();
        else
            setMask(mask_);
    }
}

void LCDisp::redraw()
{
    composeBackground();
    renderValue(true);
}

// ---- drawing a value ----------------------------------------------------

QRect LCDisp::wipeRect(int gi, int cellX) const
{
    const Group &g = group(gi);
    return QRect(QPoint(cellX, g.wipeTop), QPoint(cellX + g.cell.width() - 1, g.wipeBottom));
}

QRegion LCDisp::cellArea(int gi, int i) const
{
    const Group &g = group(gi);
    if (i < 0 || size_t(i) >= g.cellX.size() || !cellSize(g.sizes))
        return {};
    return wipeRect(gi, g.cellX[size_t(i)]);
}

QRect LCDisp::cellRect(bool exponent, int i) const
{
    const Group &g = group(exponent ? ExpGroup : MainGroup);
    if (i < 0 || size_t(i) >= g.cellX.size())
        return {};
    return QRect(g.cellX[size_t(i)], g.yOffset, g.cell.width(), g.cell.height());
}

bool LCDisp::followSize()
{
    if (builtSize_ == size())
        return false;
    rebuild();
    return true;
}

void LCDisp::renderValue(bool force)
{
    if (!isVisible()) {
        pending_ = true;
        pendingForce_ = pendingForce_ || force;
        return;
    }
    drawValue(force);
}

void LCDisp::drawPending()
{
    if (followSize())
        drawValue(true);
    else if (pending_)
        drawValue(pendingForce_);
}

void LCDisp::drawValue(bool force)
{
    force = force || pendingForce_;
    pending_ = pendingForce_ = false;
    if (followSize())
        force = true;
    p_.Value = normaliseValue(p_.Value);
    const bool neg = qx::num::val(p_.Value) < 0;
    lit_ = qx::oleToColor(neg ? p_.SegmentLitColorNeg : p_.SegmentLitColor);
    unlit_ = qx::oleToColor(neg ? p_.BurnInColorNeg : p_.BurnInColor);
    if (neg != negative_) { // a change of sign repaints every cell in the new colours
        main_.last.clear();
        exp_.last.clear();
        negative_ = neg;
    }
    painted_ = {};
    if (surface_.isNull())
        return;
    const SplitText parts = splitValue(p_.Value, p_.NumDigitsExp);
    QPainter p(&surface_);
    QRegion dirty;
    drawMainCells(p, parts.main, force, dirty);
    if (p_.ShowExponent)
        drawExponentCells(p, parts.exponent, force, dirty);
    p.end();
    update(dirty);
}

void LCDisp::drawMainCells(QPainter &p, QString text, bool force, QRegion &dirty)
{
    Group &g = main_;
    const int n = int(g.cellX.size());
    // A mark slot: the places where one mark (a thousands mark, the point,
    // or the colon's two dots) is painted now.
    using Slot = std::vector<QPoint>;
    const auto regionOf = [&g](int index, const Slot &at) {
        QRegion r;
        for (const QPoint &pt : at)
            r += g.regions[size_t(index)].translated(pt);
        return r;
    };

    std::vector<Slot> marksNow(static_cast<size_t>(n));
    if (p_.ShowThousandsSeparator) {
        const std::vector<bool> flags = findThousandsMarks(text, n, p_.ThousandsGrouping);
        for (int k = 0; k < n; ++k)
            if (flags[size_t(k)])
                if (const auto at = markPlace(p_.ThousandsSeparator, g.cellX[size_t(k)], g.cell, g.yOffset,
                                              p_.SegmentWidth, p_.InterDigitGap, g.sizes.style))
                    marksNow[size_t(k)] = {*at};
    }
    Slot pointNow, colonNow;
    // A separator in the cut-off part of a long text is not shown.
    if (const auto k = takeSeparator(text, n, u".,"); k && *k >= 0 && *k < n)
        if (const auto at = markPlace(p_.DecimalSeparator, g.cellX[size_t(*k)], g.cell, g.yOffset,
                                      p_.SegmentWidth, p_.InterDigitGap, g.sizes.style))
            pointNow = {*at};
    if (const auto k = takeSeparator(text, n, u":"); k && *k >= 0 && *k < n) {
        const auto dots = colonPlaces(g.cellX[size_t(*k)], g.cell.width(), g.yOffset, p_.SegmentHeight,
                                      p_.SegmentWidth, p_.InterDigitGap);
        colonNow = {dots[0], dots[1]};
    }

    // Marks that moved or went are wiped first; cells they touched are
    // repainted with the changed ones, and the marks go on top.
    QRegion erased;
    bool changed = false; // a mark or a cell differs from what is on screen
    const auto retire = [&](QRegion &drawn, const QRegion &now) {
        if (drawn != now)
            changed = true;
        if (!drawn.isEmpty() && drawn != now) {
            restoreBackground(p, drawn);
            erased += drawn;
            dirty += drawn;
        }
        drawn = now;
    };
    retire(pointDrawn_, regionOf(PointMark, pointNow));
    retire(colonDrawn_, regionOf(PointMark, colonNow));
    marksDrawn_.resize(size_t(n));
    for (int k = 0; k < n; ++k)
        retire(marksDrawn_[size_t(k)], regionOf(ThousandsMark, marksNow[size_t(k)]));

    const QString aligned = alignRight(text, n);
    for (int i = 0; i < n; ++i) {
        const QRegion area = cellArea(MainGroup, i);
        if (force || i >= g.last.size() || aligned.at(i) != g.last.at(i) || area.intersects(erased)) {
            paintCell(p, MainGroup, g.cellX[size_t(i)], aligned.at(i));
            painted_.main << i;
            dirty += area;
            changed = true;
        }
    }
    g.last = aligned;
    // The same picture as before: the marks on screen stay as they are.
    if (!changed)
        return;

    for (int k = 0; k < n; ++k)
        for (const QPoint &at : marksNow[size_t(k)])
            paintSegment(p, MainGroup, ThousandsMark, at, true);
    for (const QPoint &at : pointNow)
        paintSegment(p, MainGroup, PointMark, at, true);
    for (const QPoint &at : colonNow)
        paintSegment(p, MainGroup, PointMark, at, true);
    dirty += pointDrawn_ + colonDrawn_;
    for (const QRegion &r : marksDrawn_)
        dirty += r;
}

void LCDisp::drawExponentCells(QPainter &p, const QString &text, bool force, QRegion &dirty)
{
    Group &g = exp_;
    const int n = int(g.cellX.size());
    const QString aligned = alignRight(text, n);
    for (int i = 0; i < n; ++i) {
        if (force || i >= g.last.size() || aligned.at(i) != g.last.at(i)) {
            paintCell(p, ExpGroup, g.cellX[size_t(i)], aligned.at(i));
            painted_.exponent << i;
            dirty += cellArea(ExpGroup, i);
        }
    }
    g.last = aligned;
}

void LCDisp::paintCell(QPainter &p, int gi, int cellX, QChar c)
{
    const Group &g = group(gi);
    const auto places = segmentPlaces(g.sizes);
    if (!places)
        return;
    restoreBackground(p, wipeRect(gi, cellX)); // the old content goes
    const int glyph = glyphIndex(c, p_.ShowBurnIn);
    if (glyph < 0)
        return;
    const char *pattern = kGlyphs[size_t(glyph)];
    const QPoint origin(cellX, g.yOffset);
    for (size_t s = 0; s < 7; ++s)
        paintSegment(p, gi, (*places)[s].region, origin + (*places)[s].at, pattern[s] == '1');
}

void LCDisp::paintSegment(QPainter &p, int gi, int index, QPoint at, bool lit)
{
    if (!lit && !p_.ShowBurnIn)
        return; // an unlit segment without burn-in is the wiped background
    const Group &g = group(gi);
    const QRegion &r = g.regions[size_t(index)]; // at the cell's origin, drawn at `at`
    const int fill = p_.SegmentFillStyle;
    if (!lit) {
        if (fill == 0)
            fillRegion(p, innerFrame(r), unlit_, at);
        else if (fill == 1)
            fillRegion(p, r, unlit_, at);
        return;
    }
    switch (fill) {
    case 0: fillRegion(p, innerFrame(r), lit_, at); break;
    case 1: fillRegion(p, r, lit_, at); break;
    case 2:
        switch (index) {
        case HexVertical:
        case TrapRight:
        case TrapLeft:
        case RectVertical: blitThrough(p, g.vertical, r, at); break;
        case HexHorizontal:
        case TrapTop:
        case TrapBottom:
        case RectHorizontal: blitThrough(p, g.horizontal, r, at); break;
        case PointMark: blitThrough(p, pointImage_, r, at); break;
        default: fillRegion(p, r, lit_, at); break;
        }
        break;
    default: break;
    }
}

void LCDisp::restoreBackground(QPainter &p, const QRegion &r) { blitThrough(p, background_, r, QPoint(0, 0)); }

// ---- events -------------------------------------------------------------

void LCDisp::paintEvent(QPaintEvent *e)
{
    drawPending();
    QPainter p(this);
    if (surface_.isNull())
        p.fillRect(e->rect(), Qt::black);
    else
        p.drawImage(e->rect(), surface_, e->rect());
}

void LCDisp::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    if (followSize())
        renderValue(true);
}

void LCDisp::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    drawPending();
}
