#include "curves/CurveGraph.h"

#include "platform/Colors.h"
#include "platform/Guard.h"
#include "platform/QxError.h"
#include "platform/WidgetStyle.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cmath>

using namespace qx::curves;

namespace qx::curves {

// The drawing surface: shows the chart's picture and hands its mouse events
// to the chart.
class CurveSurface : public QWidget {
public:
    explicit CurveSurface(CurveGraph *owner) : QWidget(owner), owner_(owner)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *e) override
    {
        const QRegion r = e->region();
        qx::guarded(QStringLiteral("CurveGraph.Paint"), [&] { owner_->paintSurface(r); });
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        const Qt::MouseButton b = e->button();
        const QPoint p = e->position().toPoint();
        qx::guarded(QStringLiteral("picGraph_MouseDown"), [&] { owner_->picGraph_MouseDown(b, p); });
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        const QPoint p = e->position().toPoint();
        qx::guarded(QStringLiteral("picGraph_MouseMove"), [&] { owner_->picGraph_MouseMove(p); });
    }
    void mouseReleaseEvent(QMouseEvent *) override
    {
        qx::guarded(QStringLiteral("picGraph_MouseUp"), [&] { owner_->picGraph_MouseUp(); });
    }
    // The second press of a double click starts nothing.
    void mouseDoubleClickEvent(QMouseEvent *) override {}

private:
    CurveGraph *owner_;
};

// A rectangle outline (legend frames while dragged, the zoom's rubber band).
class OutlineBox : public QWidget {
public:
    OutlineBox(QWidget *parent, Qt::PenStyle style) : QWidget(parent), style_(style)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }
    void setColor(const QColor &c)
    {
        color_ = c;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter g(this);
        g.setPen(QPen(color_, 1, style_));
        g.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    Qt::PenStyle style_;
    QColor color_ = Qt::black;
};

// A legend fills its own background (the palette's Window colour, the
// chart's background) instead of having Qt fill it. So it is not opaque to
// Qt, and the surface under the legends keeps a plain rectangle to paint
// in: the curves are drawn straight onto it with a rectangular clip, the
// fast way. (The cursor line and its read-out, which move and repaint
// often, stay opaque: the surface is not painted again under them.)
template <class Base>
class SelfFilled : public Base {
public:
    using Base::Base;
    void setFill(const QColor &c)
    {
        QPalette pal = this->palette();
        pal.setColor(QPalette::Window, c);
        this->setPalette(pal);
        this->setAutoFillBackground(false);
        this->update();
    }

protected:
    void paintEvent(QPaintEvent *e) override
    {
        QPainter(this).fillRect(this->rect(), this->palette().color(QPalette::Window));
        Base::paintEvent(e);
    }
};
using LegendLabel = SelfFilled<QLabel>;

} // namespace qx::curves

namespace {

const QString LegendPrefix = QStringLiteral("---- ");

QFont sizedFont(double points)
{
    QFont f = QApplication::font();
    f.setPointSizeF(points);
    return f;
}

// Element i of a per-axis table; QxError(ErrSubscript) outside axes 0 to 2.
template <class T>
T &onAxis(T (&table)[3], int i)
{
    if (i < 0 || i > 2)
        qx::raise(qx::ErrSubscript);
    return table[i];
}

} // namespace

CurveGraph::CurveGraph(QWidget *parent) : QWidget(parent), font_(frameFont())
{
    surface_ = new CurveSurface(this);

    bar_ = new QScrollBar(Qt::Horizontal, this);
    bar_->setRange(0, 0);
    bar_->setSingleStep(1);
    bar_->setPageStep(1);
    bar_->hide();
    connect(bar_, &QScrollBar::valueChanged, this,
            [this](int v) { qx::guarded(QStringLiteral("HScroll1_Change"), [&] { HScroll1_Change(v); }); });

    title_ = new QLabel(surface_);
    title_->setFont(sizedFont(12));
    title_->setText(QStringLiteral("QX Tester Software"));
    title_->adjustSize();
    title_->move(0, 10);
    title_->installEventFilter(this);

    disp_ = new QLabel(surface_);
    disp_->setText(QStringLiteral("0.000V 00.00A"));
    disp_->setAutoFillBackground(true);
    {
        QPalette pal = disp_->palette();
        pal.setColor(QPalette::Window, qx::oleToColor(qx::SysInfoBackground));
        pal.setColor(QPalette::WindowText, qx::oleToColor(qx::SysInfoText));
        disp_->setPalette(pal);
    }
    disp_->setMargin(2);
    disp_->adjustSize();
    disp_->setAttribute(Qt::WA_TransparentForMouseEvents);
    disp_->hide();

    line1_ = new QWidget(surface_);
    line1_->setAutoFillBackground(true);
    line1_->setAttribute(Qt::WA_TransparentForMouseEvents);
    line1_->hide();

    band_ = new OutlineBox(surface_, Qt::DashLine);

    legends_.push_back(makeLegend(0));
    legendState_.assign(size_t(table_.CurveCount()), LegendState{});
    SetupLegends();
    set_AxesColor(props_.AxesColor);
    set_BackColor(props_.BackColor);
}

CurveGraph::~CurveGraph() = default;

// ---------------------------------------------------------------- children

QWidget *CurveGraph::picGraph() const { return surface_; }
QWidget *CurveGraph::Line1() const { return line1_; }
QWidget *CurveGraph::shpRect() const { return band_; }

QLabel *CurveGraph::lblLegend(int Index) const
{
    table_.curve(Index);
    return legends_[size_t(Index)];
}

QWidget *CurveGraph::ShapeLegend(int Index) const
{
    table_.curve(Index);
    return shapes_[size_t(Index)];
}

bool CurveGraph::LegendMoved(int Index) const
{
    table_.curve(Index);
    return legendState_[size_t(Index)].moved;
}

uint32_t CurveGraph::InvertColor(uint32_t c) { return qx::oleResolve(c) ^ 0xFFFFFFu; }

QLabel *CurveGraph::makeLegend(int i)
{
    auto *l = new LegendLabel(surface_);
    if (i == 0) {
        l->setFont(sizedFont(9.75));
        l->setText(LegendPrefix);
        l->adjustSize();
        legendTexts_.assign(1, QString());
        legendSizes_.assign(1, l->size());
    } else {
        // A new legend starts as a hidden copy of legend 0.
        const QLabel *l0 = legends_[0];
        l->setFont(l0->font());
        l->setText(LegendPrefix + legendTexts_[0]);
        l->setGeometry(QRect(l0->pos(), legendSizes_[0]));
        legendTexts_.push_back(legendTexts_[0]);
        legendSizes_.push_back(legendSizes_[0]);
    }
    l->hide();
    l->setProperty("legendIndex", i);
    l->installEventFilter(this);
    auto *shape = new OutlineBox(surface_, Qt::SolidLine);
    shapes_.push_back(shape);
    qx::setTextColor(l, table_.curve(std::min(i, table_.CurveCount() - 1)).LineColor);
    l->setFill(qx::oleToColor(props_.BackColor));
    return l;
}

void CurveGraph::colourLegend(int i)
{
    // The curve's colour on the chart's background: a curve running under
    // a legend, even one of the same colour, does not cross its text.
    QLabel *l = legends_[size_t(i)];
    qx::setTextColor(l, table_.curve(i).LineColor);
    static_cast<LegendLabel *>(l)->setFill(qx::oleToColor(props_.BackColor));
}

// ------------------------------------------------------------------ methods

void CurveGraph::Initialize_DrawCurve()
{
    // The picture has the screen's pixels: on a scaled screen the chart is
    // drawn sharp, not drawn small and stretched.
    backSize_ = surface_->size();
    backRatio_ = surface_->devicePixelRatioF();
}

void CurveGraph::AddXY(int Index, float x, float y) { table_.AddXY(Index, x, y); }

void CurveGraph::Clear(int Index) { table_.Clear(Index); }

void CurveGraph::DrawCurve()
{
    rightMargin_ = props_.RightMargin();
    scales_ = computeScales(props_, surface_->width(), surface_->height(), rightMargin_);
    // The legends of the shown curves lie above the chart's other children
    // (cursor line, read-out, outlines), in curve order. They are raised
    // only when something came over them: raising costs a repaint of each.
    std::vector<QWidget *> onTop;
    for (int c = 0; c < table_.CurveCount(); ++c) {
        const CurveRec &curve = table_.curve(c);
        if (!curve.ShowCurve)
            continue;
        QLabel *l = legends_[size_t(c)];
        if (l->isHidden() == curve.ShowLegend)
            l->setVisible(curve.ShowLegend);
        onTop.push_back(l);
    }
    const QObjectList &stack = surface_->children();
    const bool stacked = onTop.size() <= size_t(stack.size()) &&
                         std::equal(onTop.begin(), onTop.end(), stack.end() - qsizetype(onTop.size()));
    if (!stacked)
        for (QWidget *l : onTop)
            l->raise();
    schedule(Pending::Full);
}

void CurveGraph::ClearAll()
{
    table_.ClearAll();
    Initialize_DrawCurve();
    rightMargin_ = props_.RightMargin();
    schedule(Pending::Frame);
}

void CurveGraph::schedule(Pending what)
{
    pending_ = what;
    surface_->update(); // one paint per turn of the event loop, when shown
}

bool CurveGraph::pictureFits() const
{
    return backSize_ == surface_->size() && backRatio_ == surface_->devicePixelRatioF();
}

void CurveGraph::renderPending()
{
    if (!pictureFits()) {
        // The surface changed size (or moved to a screen of another scale)
        // since the last picture: make it again.
        Initialize_DrawCurve();
        if (pending_ == Pending::None)
            pending_ = lastDrawn_;
    }
    if (pending_ == Pending::None)
        return;
    renderer_.prepare(backSize_, backRatio_, props_, pending_ == Pending::Full ? &table_ : nullptr, font_);
    lastDrawn_ = pending_;
    pending_ = Pending::None;
}

void CurveGraph::paintSurface(const QRegion &exposed)
{
    renderPending();
    QPainter g(surface_);
    if (!renderer_.prepared() || renderer_.size() != backSize_) {
        g.fillRect(exposed.boundingRect(), Qt::white);
        return;
    }
    // A picture of the chart (the widget rendered into an image) has its own
    // pixel ratio: the chart is drawn again for it rather than resampled.
    const QPaintDevice *target = g.paintEngine() ? g.paintEngine()->paintDevice() : nullptr;
    const qreal ratio = target ? target->devicePixelRatioF() : renderer_.ratio();
    if (ratio != renderer_.ratio()) {
        QImage copy = CurveRenderer::buffer(backSize_, ratio);
        CurveRenderer other;
        if (lastDrawn_ == Pending::Full)
            other.drawChart(copy, backSize_, props_, table_, font_);
        else
            other.drawFrame(copy, backSize_, props_, font_);
        g.drawImage(QPointF(0, 0), copy);
        return;
    }
    // The kept frame goes straight to the surface, the curves over it.
    renderer_.paint(g, exposed);
}

QImage CurveGraph::Picture()
{
    renderPending();
    QImage img = CurveRenderer::buffer(backSize_, backRatio_);
    if (!img.isNull() && renderer_.prepared() && renderer_.size() == backSize_) {
        QPainter g(&img);
        renderer_.paint(g, QRect(QPoint(0, 0), backSize_));
    }
    return img;
}

// --------------------------------------------------------------- properties

void CurveGraph::set_BackColor(uint32_t v)
{
    props_.BackColor = v;
    const QColor outline = qx::oleToColor(InvertColor(v));
    for (int i = 0; i < table_.CurveCount(); ++i) {
        shapes_[size_t(i)]->setColor(outline);
        static_cast<LegendLabel *>(legends_[size_t(i)])->setFill(qx::oleToColor(v));
    }
}

QString CurveGraph::LegendText(int Index) const
{
    lblLegend(Index);
    return legendTexts_[size_t(Index)];
}

void CurveGraph::set_LegendText(int Index, const QString &text)
{
    QLabel *l = lblLegend(Index);
    legendTexts_[size_t(Index)] = text;
    l->setText(LegendPrefix + text);
    l->setToolTip(QString());
    colourLegend(Index);
    l->adjustSize();
    legendSizes_[size_t(Index)] = l->size();
    PlaceLegendShape(Index);
}

void CurveGraph::fitLegend(int i, int widest)
{
    // A legend wider than its column is cut to it, with an ellipsis; its
    // tooltip holds the whole text.
    QLabel *l = legends_[size_t(i)];
    const QString whole = LegendPrefix + legendTexts_[size_t(i)];
    const QSize full = legendSizes_[size_t(i)];
    if (full.width() <= widest) {
        if (l->text() != whole || l->size() != full) {
            l->setText(whole);
            l->setToolTip(QString());
            l->resize(full);
        }
        return;
    }
    const QFontMetrics fm(l->font());
    const int frame = full.width() - fm.horizontalAdvance(whole); // what the label adds to its text
    const QString cut = fm.elidedText(whole, Qt::ElideRight, std::max(0, widest - frame));
    l->setText(cut);
    l->setToolTip(legendTexts_[size_t(i)]);
    l->resize(widest, full.height());
}

QString CurveGraph::TitleText() const { return title_->text(); }

void CurveGraph::set_TitleText(const QString &text)
{
    title_->setText(text);
    title_->adjustSize();
    title_->move(int(std::nearbyint((surface_->width() - title_->width()) / 2.0)), title_->y());
    title_->raise();
}

void CurveGraph::set_AxesColor(uint32_t v)
{
    props_.AxesColor = v;
    qx::setTextColor(title_, v);
    QPalette pal = line1_->palette();
    pal.setColor(QPalette::Window, qx::oleToColor(v));
    line1_->setPalette(pal);
    band_->setColor(qx::oleToColor(v));
}

void CurveGraph::set_CurveLineColor(int Index, uint32_t v)
{
    table_.curve(Index).LineColor = v;
    colourLegend(Index);
}

void CurveGraph::set_CurveAxesY(int Index, int v)
{
    CurveRec &c = table_.curve(Index);
    if (v < 0 || v > 2)
        qx::raise(qx::ErrInvalidProperty);
    c.AxesY = int16_t(v);
}

void CurveGraph::set_ShowLegend(int Index, bool v)
{
    table_.curve(Index).ShowLegend = v;
    QLabel *l = legends_[size_t(Index)];
    const bool shows = v && l->isHidden();
    l->setVisible(v);
    if (Index == 2)
        layoutControl();
    else if (shows)
        stackLegends(); // a legend shown takes its place in the stack
}

float CurveGraph::MaxY(int i) const { return onAxis(props_.MaxY, i); }
void CurveGraph::set_MaxY(int i, float v) { onAxis(props_.MaxY, i) = v; }
float CurveGraph::MinY(int i) const { return onAxis(props_.MinY, i); }
void CurveGraph::set_MinY(int i, float v) { onAxis(props_.MinY, i) = v; }
float CurveGraph::YScale(int i) const { return onAxis(scales_.YScale, i); }

void CurveGraph::set_CurveCount(int n)
{
    n = std::clamp(n, 1, CurveTable::MaxCurves);
    legendState_.assign(size_t(n), LegendState{});
    table_.setCurveCount(n);
    SetupLegends();
    // Unload the surplus legends and outlines.
    for (size_t i = size_t(n); i < legends_.size(); ++i) {
        legends_[i]->hide();
        legends_[i]->deleteLater();
        shapes_[i]->hide();
        shapes_[i]->deleteLater();
    }
    legends_.resize(size_t(n));
    shapes_.resize(size_t(n));
    legendTexts_.resize(size_t(n));
    legendSizes_.resize(size_t(n));
}

void CurveGraph::set_Large(bool v)
{
    const bool wasLarge = props_.Large;
    // A host that enters the zoomed view itself zooms to the ranges it has
    // set: they are what leaving it (by a click or by the host) brings back.
    if (v && !wasLarge)
        zoom_ = saveFull(props_);
    props_.Large = v;
    placeSurface();
    // Leaving a zoomed view brings back the ranges saved when it began; the
    // saved ranges mean nothing when no zoom was under way.
    if (!v && wasLarge)
        restoreFull(props_, zoom_);
}

// ------------------------------------------------------------------- layout

void CurveGraph::placeSurface()
{
    if (props_.Large) {
        const int barH = bar_->sizeHint().height();
        surface_->setGeometry(0, 0, width(), std::max(0, height() - barH));
        bar_->setGeometry(0, surface_->height(), surface_->width(), barH);
        bar_->show();
    } else {
        surface_->setGeometry(0, 0, width(), height());
        bar_->hide();
    }
}

void CurveGraph::hideEvent(QHideEvent *)
{
    renderer_.dropFrame();
}

void CurveGraph::resizeEvent(QResizeEvent *)
{
    qx::guarded(QStringLiteral("CurveGraph.Resize"), [&] { layoutControl(); });
}

void CurveGraph::layoutControl()
{
    placeSurface();
    const int W = surface_->width(), H = surface_->height();
    title_->move(int(std::nearbyint((W - title_->width()) / 2.0)), 10);

    stackLegends();
    // A legend the user placed stays put, unless the chart shrank so far that
    // it would be out of reach.
    const QRect inside(QPoint(0, 0), surface_->size());
    for (int i = 0; i < table_.CurveCount(); ++i) {
        QLabel *l = legends_[size_t(i)];
        if (legendState_[size_t(i)].moved && !inside.contains(l->geometry())) {
            l->move(legendDrop(l->pos(), l->size(), surface_->size()));
            PlaceLegendShape(i);
        }
    }

    line1_->setGeometry(line1_->x(), 41, 1, std::max(0, H - 51 - 41));
    Initialize_DrawCurve();
    DrawCurve();
}

QRect CurveGraph::legendArea(QSize size) const
{
    // Inside the axis lines (5 pixels out of the plot area), so clear of
    // their labels.
    return QRect(QPoint(47, 41), QPoint(size.width() - props_.RightMargin() + 3, size.height() - 47));
}

CurveGraph::LegendStack CurveGraph::stackAt(QSize size) const
{
    const int W = size.width(), H = size.height();
    LegendStack st;
    const QLabel *l0 = legends_[0];
    const bool place0 = !legendState_[0].moved;
    const bool show0 = place0 && table_.curve(0).ShowLegend;
    st.first = place0 ? QPoint(props_.BothAxesY() ? W - 170 : W - 120, 73) : l0->pos();
    const QSize size0 = legendSizes_[0];
    // The shown legends the user has not placed stack under legend 0, in
    // columns that end above the time labels.
    std::vector<QSize> sizes;
    for (int i = 1; i < table_.CurveCount(); ++i) {
        if (table_.curve(i).ShowLegend && !legendState_[size_t(i)].moved) {
            st.stacked.push_back(i);
            sizes.push_back(legendSizes_[size_t(i)]);
        }
    }
    // Inside the axis lines; columns too wide to stand side by side there
    // have their widest legends cut.
    const QRect plot = legendArea(size);
    const bool head = table_.curve(0).ShowLegend; // legend 0, where it is, heads the first column
    const QRect firstRect(st.first, QSize(head ? size0.width() : 0, size0.height()));
    st.widest = legendWidthCap(firstRect, sizes, H - 50, plot.width());
    auto cut = [&](QSize s) { return QSize(std::min(s.width(), st.widest), s.height()); };
    // None is cut to less than half the room (or its own width): a chart
    // that cuts more does not fit them.
    const int least = plot.width() / 2;
    st.fits = !show0 || st.widest >= std::min(size0.width(), least);
    for (QSize &s : sizes) {
        st.fits = st.fits && st.widest >= std::min(s.width(), least);
        s = cut(s);
    }
    const QSize shown0 = cut(size0);
    // Legend 0 placed by the user moves left rather than cross the right
    // axis.
    if (!place0 && head && st.first.x() + shown0.width() - 1 > plot.right())
        st.first.setX(std::max(plot.left(), plot.right() - shown0.width() + 1));
    st.at = legendColumns(QRect(st.first, head ? shown0 : QSize(0, shown0.height())), sizes, H - 50);
    // The first column moves left as far as its widest legend needs, then
    // right where the columns would reach past the left axis.
    int right = show0 ? st.first.x() + shown0.width() - 1 : INT_MIN;
    int left = show0 ? st.first.x() : INT_MAX;
    for (size_t k = 0; k < st.at.size(); ++k) {
        if (st.at[k].x() == st.first.x())
            right = std::max(right, st.at[k].x() + sizes[k].width() - 1);
        left = std::min(left, st.at[k].x());
    }
    int shift = right > plot.right() ? plot.right() - right : 0;
    if (left != INT_MAX && left + shift < plot.left())
        shift = std::min(plot.left() - left, right == INT_MIN ? INT_MAX : plot.right() - right);
    if (place0)
        st.first.rx() += shift;
    for (QPoint &q : st.at)
        q.rx() += shift;
    st.fits = st.fits && (!show0 || plot.contains(QRect(st.first, shown0)));
    for (size_t k = 0; k < st.at.size(); ++k)
        st.fits = st.fits && plot.contains(QRect(st.at[k], sizes[k]));
    return st;
}

int CurveGraph::LegendsHeight(int width) const
{
    // A taller chart only lengthens the columns (fewer of them, reaching
    // less far left), so the least height that fits is found by halving;
    // the viewer asks on every resize.
    const auto fits = [&](int h) { return stackAt(QSize(width, h)).fits; };
    int lo = 100, hi = 4000;
    if (!fits(hi))
        return 0;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (fits(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

void CurveGraph::stackLegends()
{
    const LegendStack st = stackAt(surface_->size());
    fitLegend(0, st.widest);
    legends_[0]->move(st.first);
    for (int i : st.stacked)
        fitLegend(i, st.widest);
    // The other legends the user placed stay where they are, moved left
    // (and cut to the area's width) rather than cross the right axis.
    const QRect area = legendArea(surface_->size());
    for (int i = 1; i < table_.CurveCount(); ++i) {
        QLabel *l = legends_[size_t(i)];
        if (!legendState_[size_t(i)].moved || !table_.curve(i).ShowLegend)
            continue;
        fitLegend(i, area.width());
        if (l->geometry().right() > area.right())
            l->move(std::max(area.left(), area.right() - l->width() + 1), l->y());
    }
    PlaceLegendShape(0);
    for (size_t k = 0; k < st.stacked.size(); ++k)
        legends_[size_t(st.stacked[k])]->move(st.at[k]);
    for (int i = 1; i < table_.CurveCount(); ++i)
        PlaceLegendShape(i);
}

void CurveGraph::SetupLegends()
{
    QLabel *l0 = legends_[0];
    l0->move(surface_->width() - 120, 73);
    l0->setVisible(table_.curve(0).ShowLegend);
    PlaceLegendShape(0);
    QLabel *anchor = l0;
    for (int i = 1; i < table_.CurveCount(); ++i) {
        if (size_t(i) >= legends_.size())
            legends_.push_back(makeLegend(i));
        QLabel *l = legends_[size_t(i)];
        colourLegend(i);
        if (!l->isHidden()) {
            l->move(l0->x(), anchor->y() + anchor->height() + 5);
            anchor = l;
        }
        l->setVisible(table_.curve(i).ShowLegend);
        PlaceLegendShape(i);
    }
}

void CurveGraph::PlaceLegendShape(int i)
{
    const QRect g = legends_[size_t(i)]->geometry();
    OutlineBox *shape = shapes_[size_t(i)];
    shape->setGeometry(g);
    LegendState &s = legendState_[size_t(i)];
    s.topLeft = g.topLeft();
    s.bottomRight = QPointF(g.left() + g.width(), g.top() + g.height());
    shape->hide();
    shape->setColor(qx::oleToColor(InvertColor(props_.BackColor)));
}

// -------------------------------------------------------------------- mouse

bool CurveGraph::inPlotArea(QPoint p) const
{
    const int W = surface_->width(), H = surface_->height();
    return p.x() > 50 && p.x() < W - rightMargin_ && p.y() > 40 && p.y() < H - 50;
}

void CurveGraph::ShowCursorValues(double X)
{
    dispCaption_ = cursorReadout(table_, props_, X, surface_->width(), rightMargin_);
    disp_->setText(QString(dispCaption_).replace(u'\r', u'\n'));
    disp_->adjustSize();
}

void CurveGraph::placeDisp(int x, int y)
{
    const int w = disp_->width();
    const int left = x + 5 + w >= surface_->width() - rightMargin_ ? x - 5 - w : x + 5;
    disp_->move(left, y - 20);
}

void CurveGraph::picGraph_MouseDown(Qt::MouseButton button, QPoint p)
{
    const int W = surface_->width(), H = surface_->height();
    if (button == Qt::RightButton) {
        if (!inPlotArea(p))
            return;
        line1_->move(p.x(), line1_->y());
        line1_->show();
        line1_->raise();
        ShowCursorValues(p.x());
        placeDisp(p.x(), p.y());
        disp_->show();
        disp_->raise();
        return;
    }
    if (button != Qt::LeftButton || !size_ || !(p.x() < W - rightMargin_ && p.y() < H - 50))
        return;
    if (!props_.Large) {
        band_->setGeometry(std::max(p.x(), 50), std::max(p.y(), 40), 0, 0);
        band_->show();
        band_->raise();
        return;
    }
    // In the zoomed view a left press brings the full view back.
    restoreFull(props_, zoom_);
    set_Large(false);
    DrawCurve();
}

void CurveGraph::picGraph_MouseMove(QPoint p)
{
    if (!line1_->isHidden() && band_->isHidden() && inPlotArea(p)) {
        line1_->move(p.x(), line1_->y());
        ShowCursorValues(p.x());
        placeDisp(p.x(), p.y());
    }
    if (!band_->isHidden()) {
        const int x = std::min(p.x(), surface_->width() - rightMargin_);
        const int y = std::min(p.y(), surface_->height() - 50);
        QRect r = band_->geometry();
        if (x > r.left())
            r.setWidth(x - r.left());
        if (y > r.top())
            r.setHeight(y - r.top());
        band_->setGeometry(r);
    }
}

void CurveGraph::picGraph_MouseUp()
{
    const QRect r = band_->geometry();
    if (!band_->isHidden() && r.width() > MinZoomBand && r.height() > MinZoomBand)
        applyZoom();
    band_->hide();
    line1_->hide();
    disp_->hide();
}

void CurveGraph::applyZoom()
{
    if (!zoomToBand(props_, zoom_, band_->geometry(), scales_, surface_->height()))
        return;
    props_.Large = true;  // the full ranges were saved by the zoom
    const ScrollSetup s = scrollForZoom(props_, zoom_);
    // A change of the bar's value pans at once, so the window's left end
    // lands on the bar's steps.
    bar_->setMinimum(0);
    bar_->setMaximum(s.maximum);
    bar_->setValue(s.value);
    placeSurface();
    DrawCurve();
}

void CurveGraph::HScroll1_Change(int v)
{
    if (!props_.Large)
        return;
    panTo(props_, zoom_, v);
    DrawCurve();
}

bool CurveGraph::eventFilter(QObject *o, QEvent *e)
{
    const QEvent::Type t = e->type();
    if (o == title_) {
        if (t == QEvent::MouseButtonDblClick) {
            qx::guarded(QStringLiteral("CurveGraph.DblClick"), [&] { Q_EMIT DblClick(); });
            return true;
        }
        return QWidget::eventFilter(o, e);
    }
    const QVariant idx = o->property("legendIndex");
    if (!idx.isValid() || !o->isWidgetType())
        return QWidget::eventFilter(o, e);
    const int i = idx.toInt();
    if (i < 0 || size_t(i) >= legends_.size() || i >= table_.CurveCount() || legends_[size_t(i)] != o)
        return QWidget::eventFilter(o, e);
    switch (t) {
    case QEvent::MouseButtonPress: {
        auto *m = static_cast<QMouseEvent *>(e);
        qx::guarded(QStringLiteral("lblLegend_MouseDown"), [&] { lblLegend_MouseDown(i, m->button(), m->position()); });
        return true;
    }
    case QEvent::MouseMove: {
        auto *m = static_cast<QMouseEvent *>(e);
        qx::guarded(QStringLiteral("lblLegend_MouseMove"), [&] { lblLegend_MouseMove(i, m->position()); });
        return true;
    }
    case QEvent::MouseButtonRelease:
        qx::guarded(QStringLiteral("lblLegend_MouseUp"), [&] { lblLegend_MouseUp(i); });
        return true;
    case QEvent::MouseButtonDblClick:
        qx::guarded(QStringLiteral("CurveGraph.LblClick"), [&] {
            lblLegend_DblClick(i);
            Q_EMIT LblClick(i);
        });
        return true;
    default:
        return QWidget::eventFilter(o, e);
    }
}

void CurveGraph::lblLegend_MouseDown(int i, Qt::MouseButton button, QPointF p)
{
    LegendState &s = legendState_[size_t(i)];
    s.dragging = false;
    if (button != Qt::LeftButton)
        return;
    s.dragging = true;
    s.before = legends_[size_t(i)]->pos();
    s.movedBefore = s.moved;
    s.grab = p - s.topLeft;
    shapes_[size_t(i)]->show();
    shapes_[size_t(i)]->raise();
}

void CurveGraph::lblLegend_MouseMove(int i, QPointF p)
{
    const LegendState &s = legendState_[size_t(i)];
    if (!s.dragging)
        return;
    // The outline follows the pointer, kept on the drawing surface.
    OutlineBox *shape = shapes_[size_t(i)];
    const QPointF at = p - s.grab;
    const double x = std::clamp(at.x(), 0.0, double(std::max(0, surface_->width() - shape->width())));
    const double y = std::clamp(at.y(), 0.0, double(std::max(0, surface_->height() - shape->height())));
    shape->move(int(std::nearbyint(x)), int(std::nearbyint(y)));
}

void CurveGraph::lblLegend_MouseUp(int i)
{
    LegendState &s = legendState_[size_t(i)];
    if (!s.dragging)
        return;
    s.dragging = false;
    OutlineBox *shape = shapes_[size_t(i)];
    shape->hide();
    s.still = shape->pos() == legends_[size_t(i)]->pos();
    const QPoint at = legendDrop(shape->pos(), shape->size(), surface_->size());
    s.topLeft = at;
    s.bottomRight = QPointF(at.x() + shape->width(), at.y() + shape->height());
    legends_[size_t(i)]->setGeometry(QRect(at, shape->size()));
    s.moved = true;
}

void CurveGraph::lblLegend_DblClick(int i)
{
    // A double click asks for a new text; the click before it, which did
    // not drag, places nothing: the legend goes back where it was, in the
    // stack when the stack had it.
    LegendState &s = legendState_[size_t(i)];
    if (!s.still || s.dragging)
        return;
    s.still = false;
    s.moved = s.movedBefore;
    legends_[size_t(i)]->move(s.before);
    PlaceLegendShape(i);
}
