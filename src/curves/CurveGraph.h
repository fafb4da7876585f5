#pragma once
// CurveGraph: the chart control. Up to 50 curves against one x axis (time or
// another quantity) and three value axes (one left, up to two right), with a
// grid, legends the user can drag, a cursor read-out on the right button, a
// rubber-band zoom on the left button and a scroll bar that pans the zoomed
// window. Curves are clipped to the plot area. Legends the chart stacks stay
// inside the axes: one too wide for the room its column has is cut short
// with an ellipsis, its whole text in its tooltip.
//
// Property writes never draw (only ShowLegend(2) lays the chart out anew and
// draws): a host changes what it needs and calls DrawCurve. Drawing requests
// within one turn of the event loop make one paint, and a hidden chart paints
// when it is shown. Curve indexes outside 0 .. CurveCount - 1, axis numbers
// outside 0 .. 2 and point numbers outside a curve's slots throw
// qx::QxError(ErrSubscript).
#include "curves/CurveGraphAxes.h"
#include "curves/CurveGraphData.h"
#include "curves/CurveGraphNav.h"
#include "curves/CurveGraphRender.h"

#include <QFont>
#include <QImage>
#include <QPointF>
#include <QWidget>
#include <climits>
#include <cstdint>
#include <vector>

class QLabel;
class QScrollBar;

namespace qx::curves {
class CurveSurface;
class OutlineBox;
} // namespace qx::curves

class CurveGraph : public QWidget {
    Q_OBJECT
public:
    explicit CurveGraph(QWidget *parent = nullptr);
    ~CurveGraph() override;

    // --- methods
    // Makes the next picture for the drawing surface's present size.
    void Initialize_DrawCurve();
    // Appends (x, y) to curve Index; draws nothing.
    void AddXY(int Index, float x, float y);
    // Appends the points to curve Index in one go (as AddXY calls would),
    // taking over the store when the curve is empty; draws nothing.
    void TakePoints(int Index, qx::curves::PointStore &&points, std::optional<bool> xRising = std::nullopt)
    {
        table_.TakePoints(Index, std::move(points), xRising);
    }
    // Draws the frame and every shown curve and updates the shown legends.
    void DrawCurve();
    // Empties every curve and shows the empty frame.
    void ClearAll();
    // Empties curve Index; draws nothing.
    void Clear(int Index);

    // --- properties (getter X, setter set_X)
    uint32_t BackColor() const { return props_.BackColor; }
    void set_BackColor(uint32_t v);
    QString LegendText(int Index) const;
    void set_LegendText(int Index, const QString &text);
    QString TitleText() const;
    void set_TitleText(const QString &text);
    int GridType1() const { return props_.GridType1; }
    void set_GridType1(int v) { props_.GridType1 = int16_t(v); }
    int GridType2() const { return props_.GridType2; }
    void set_GridType2(int v) { props_.GridType2 = int16_t(v); }
    uint32_t GridColor() const { return props_.GridColor; }
    void set_GridColor(uint32_t v) { props_.GridColor = v; }
    uint32_t AxesColor() const { return props_.AxesColor; }
    void set_AxesColor(uint32_t v);
    bool ShowAxesY1() const { return props_.ShowAxesY1; }
    void set_ShowAxesY1(bool v) { props_.ShowAxesY1 = v; }
    bool ShowAxesY2() const { return props_.ShowAxesY2; }
    void set_ShowAxesY2(bool v) { props_.ShowAxesY2 = v; }
    bool BothAxesY() const { return props_.BothAxesY(); }
    int Line() const { return props_.Line; }
    void set_Line(int v) { props_.Line = int16_t(v); }
    uint32_t CurveLineColor(int Index) const { return table_.curve(Index).LineColor; }
    void set_CurveLineColor(int Index, uint32_t v);
    int CurveAxesY(int Index) const { return table_.curve(Index).AxesY; }
    // 0, 1 or 2; any other value is refused with QxError(ErrInvalidProperty).
    void set_CurveAxesY(int Index, int v);
    bool ShowCurve(int Index) const { return table_.curve(Index).ShowCurve; }
    void set_ShowCurve(int Index, bool v) { table_.curve(Index).ShowCurve = v; }
    bool ShowLegend(int Index) const { return table_.curve(Index).ShowLegend; }
    void set_ShowLegend(int Index, bool v);
    int32_t DpCnt(int Index) const { return table_.DpCnt(Index); }
    float DpX(int Index, int32_t n) const { return table_.DpX(Index, n); }
    float DpY(int Index, int32_t n) const { return table_.DpY(Index, n); }
    void set_DpY(int Index, int32_t n, float v) { table_.setDpY(Index, n, v); }
    int xBarType() const { return props_.xBarType; }
    void set_xBarType(int v) { props_.xBarType = int16_t(v); }
    float MaxX() const { return props_.MaxX; }
    void set_MaxX(float v) { props_.MaxX = v; }
    float MinX() const { return props_.MinX; }
    void set_MinX(float v) { props_.MinX = v; }
    float MaxY(int i) const;
    void set_MaxY(int i, float v);
    float MinY(int i) const;
    void set_MinY(int i, float v);
    bool Size() const { return size_; }
    void set_Size(bool v) { size_ = v; }
    bool YStep() const { return props_.YStep; }
    void set_YStep(bool v) { props_.YStep = v; }
    QString AxesY2Txt() const { return props_.AxesY2Txt; }
    void set_AxesY2Txt(const QString &v) { props_.AxesY2Txt = v; }
    QString AxesY1Txt() const { return props_.AxesY1Txt; }
    void set_AxesY1Txt(const QString &v) { props_.AxesY1Txt = v; }
    int CurveCount() const { return table_.CurveCount(); }
    // Clamped to 1 .. 50; keeps the curves that remain with their points.
    void set_CurveCount(int n);
    bool Large() const { return props_.Large; }
    // Lays the chart out for the zoomed or the normal view; leaving a zoomed
    // view restores the ranges saved when the zoom began.
    void set_Large(bool v);

    // Values of the last drawing.
    int RightMargin() const { return rightMargin_; }
    float XScale() const { return scales_.XScale; }
    float YScale(int i) const;

    // The chart's picture as drawn (a pending drawing is made first), at
    // the screen's pixel ratio.
    QImage Picture();
    // The cursor read-out's caption (lines separated by a carriage return).
    QString DispCaption() const { return dispCaption_; }

    // Child controls.
    QWidget *picGraph() const;
    QLabel *lblTitle() const { return title_; }
    QLabel *lblLegend(int Index) const;
    QWidget *ShapeLegend(int Index) const;
    QLabel *lblDisp() const { return disp_; }
    QWidget *Line1() const;
    QWidget *shpRect() const;
    QScrollBar *HScroll1() const { return bar_; }
    // Legend Index was placed by the user; layouts leave it where it is.
    bool LegendMoved(int Index) const;
    // The least height of a chart `width` pixels wide at which the shown
    // legends the user has not placed stack inside the plot area, clear of
    // the axes and their labels, none cut to less than half the plot area's
    // width; 0 when no height is enough (too wide).
    int LegendsHeight(int width) const;

    // The colour with each of red, green and blue replaced by 255 minus it
    // (system colours are translated first).
    static uint32_t InvertColor(uint32_t c);

Q_SIGNALS:
    void DblClick();
    void LblClick(int Index);

protected:
    void resizeEvent(QResizeEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    friend class qx::curves::CurveSurface;
    enum class Pending { None, Frame, Full };
    // Where the legends stack on a chart of a given size.
    struct LegendStack {
        QPoint first;             // legend 0 (where it is, when placed by the user)
        std::vector<int> stacked; // the legends under it, and where they go
        std::vector<QPoint> at;
        int widest = INT_MAX;     // wider legends are cut to this width
        bool fits = true;         // all of them inside the plot area
    };
    LegendStack stackAt(QSize size) const;
    // Where legends stay on a chart of a given size: inside the axis lines.
    QRect legendArea(QSize size) const;
    struct LegendState {
        bool dragging = false;
        QPointF topLeft, bottomRight, grab;
        bool moved = false;
        // The last click did not drag: where the legend was before it, and
        // whether it was placed then (a double click puts it back).
        bool still = false, movedBefore = false;
        QPoint before;
    };

    void paintSurface(const QRegion &exposed);
    void renderPending();
    bool pictureFits() const;
    void schedule(Pending what);
    void layoutControl();
    void placeSurface();
    void SetupLegends();
    void stackLegends();
    void PlaceLegendShape(int i);
    QLabel *makeLegend(int i);
    void fitLegend(int i, int widest);
    void colourLegend(int i);
    void ShowCursorValues(double X);
    void placeDisp(int x, int y);
    bool inPlotArea(QPoint p) const;
    void applyZoom();
    void picGraph_MouseDown(Qt::MouseButton button, QPoint p);
    void picGraph_MouseMove(QPoint p);
    void picGraph_MouseUp();
    void lblLegend_MouseDown(int i, Qt::MouseButton button, QPointF p);
    void lblLegend_MouseMove(int i, QPointF p);
    void lblLegend_MouseUp(int i);
    void lblLegend_DblClick(int i);
    void HScroll1_Change(int v);

    qx::curves::CurveTable table_;
    qx::curves::ChartProps props_;
    qx::curves::Scales scales_;
    qx::curves::ZoomState zoom_;
    int rightMargin_ = 50;
    bool size_ = false;
    std::vector<LegendState> legendState_;

    qx::curves::CurveSurface *surface_ = nullptr;
    QLabel *title_ = nullptr;
    std::vector<QLabel *> legends_;
    std::vector<QString> legendTexts_; // whole, without the prefix
    std::vector<QSize> legendSizes_;   // of the whole texts
    std::vector<qx::curves::OutlineBox *> shapes_;
    QLabel *disp_ = nullptr;
    QString dispCaption_;
    QWidget *line1_ = nullptr;
    qx::curves::OutlineBox *band_ = nullptr;
    QScrollBar *bar_ = nullptr;

    QSize backSize_; // the chart pixels and pixel ratio pictures are made for
    qreal backRatio_ = 1;
    QFont font_;
    Pending pending_ = Pending::None;
    Pending lastDrawn_ = Pending::None;
    qx::curves::CurveRenderer renderer_;
};
