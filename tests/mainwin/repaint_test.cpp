// What is repainted on screen: a line of the information list whose text
// changes is repainted alone and shows its new text; a cell of the result
// grid written with the text it holds is not repainted; a device tab that is
// not shown paints nothing while its device reports (its readouts draw
// nothing either), and shows where the readings stand when it is picked.
#include "LinkFixture.h"

#include "common/Loopback.h"
#include "common/PaintCounter.h"

#include "panel/LCDisp.h"
#include "platform/PropertyBag.h"

#include <QGuiApplication>
#include <QImage>
#include <QListWidget>
#include <QScreen>

#include <memory>
#include <vector>

using namespace qx;

namespace {

class Repaint : public test::LinkFixture {
protected:
    void SetUp() override
    {
        w = &open();
        w->show();
        ASSERT_TRUE(test::waitUntil([&] { return w->lstInfo(0).viewport()->isVisible(); }, 3000));
        test::settleFor(50);
    }
    QListWidget &list() { return w->lstInfo(0); }
    QImage shot() { return list().viewport()->grab().toImage(); }
    QRect line(int i) { return list().visualRect(list().model()->index(i, 0)); }
    // The part of the list's face that differs between two pictures.
    static QRect changed(const QImage &a, const QImage &b)
    {
        QRect r;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y))
                    r |= QRect(x, y, 1, 1);
        return r;
    }

};

// Paint events of a widget and everything in it.
struct TreePaints {
    explicit TreePaints(QWidget *root)
    {
        counters.push_back(std::make_unique<test::PaintCounter>(root));
        for (QWidget *c : root->findChildren<QWidget *>())
            counters.push_back(std::make_unique<test::PaintCounter>(c));
    }
    int paints() const
    {
        int n = 0;
        for (const auto &c : counters)
            n += c->paints;
        return n;
    }
    std::vector<std::unique_ptr<test::PaintCounter>> counters;
};

} // namespace

TEST_F(Repaint, AChangedLineRepaintsThatLineOnly)
{
    const struct {
        int line;
        QString text;
    } changes[] = {
        {1, QStringLiteral(" Device1: START")},
        {2, QStringLiteral(" Temp1: 25.0 ℃")},
        {1, QStringLiteral(" Device1: No Reply")},
        {4, QStringLiteral(" Device1: Monitor ON")},
    };
    for (const auto &c : changes) {
        const QImage before = shot();
        {
            test::PaintCounter paints(list().viewport());
            w->set_lstInfoLine(0, c.line, c.text);
            test::settleFor(50);
            EXPECT_GT(paints.paints, 0) << c.line;
            EXPECT_TRUE(QRegion(line(c.line)).united(paints.painted) == QRegion(line(c.line)))
                << "line " << c.line << ": painted " << paints.painted.boundingRect().height() << " px high";
        }
        // (a picture of the list paints all of it: taken once the count is done)
        const QImage after = shot();
        EXPECT_FALSE(changed(before, after).isEmpty()) << c.line;
        EXPECT_TRUE(line(c.line).contains(changed(before, after))) << c.line;
    }

    // The status line's tick writes line 0 (date, time, version) and no other.
    test::PaintCounter paints(list().viewport());
    w->Timer1_Timer();
    test::settleFor(50);
    EXPECT_FALSE(w->lstInfoLine(0, 0).isEmpty());
    EXPECT_TRUE(QRegion(line(0)).united(paints.painted) == QRegion(line(0)));
}

TEST_F(Repaint, ATabNotShownPaintsNothingAndShowsItsReadingsWhenPicked)
{
    test::RawPty pty{home.path(), 4};
    ASSERT_TRUE(pty.ok());
    choosePort(1, 4);
    clickConnect(1);
    ASSERT_EQ(test::hexText(pty.read(10)).toStdString(), "FA 05 00 00 00 00 00 00 05 F8");
    test::settleFor(50);
    ASSERT_EQ(CurDev, 0);

    // Type 21 readings on the second tab while the first is shown.
    TreePaints hidden(&w->frmDev(1));
    for (int mv : {3960, 3950, 3940})
        w->RecvBytes(1, test::devFrame(0, 21, {0, mv, 0, 250, 100, 350, 0}));
    test::settleFor(100);
    EXPECT_EQ(hidden.paints(), 0);
    EXPECT_EQ(w->DevCtrl(1).tVol(0), "03.94");

    // Picked, the tab paints: its panel, result grid and chart as they stand.
    w->tabDev->set_SelectedIndex(2);
    ASSERT_TRUE(test::waitUntil([&] { return hidden.paints() > 0; }, 3000));
    test::settleFor(50);
    EXPECT_TRUE(w->DevCtrl(1).isVisible());
    EXPECT_TRUE(w->CurveGraph(1).isVisible());
    EXPECT_EQ(cell(1, 1, 0), "QM-16");
    // The voltage readout on screen shows the last reading, 3.94 V, as a
    // readout of the same design that drew only "03.94" shows it (and not
    // the first reading's "03.96").
    auto *vol = w->DevCtrl(1).findChild<LCDisp *>(QStringLiteral("lcdVol"));
    ASSERT_NE(vol, nullptr);
    const QImage window = QGuiApplication::primaryScreen()->grabWindow(w->winId()).toImage();
    const QImage shown = window.copy(QRect(vol->mapTo(w, QPoint(0, 0)), vol->size()))
                             .convertToFormat(QImage::Format_RGB32);
    const auto drawnAlone = [vol](const char *value) {
        PropertyBag bag;
        vol->WriteProperties(bag);
        LCDisp alone;
        alone.resize(vol->size());
        alone.ReadProperties(bag);
        alone.set_Value(QLatin1String(value));
        return alone.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    EXPECT_TRUE(shown == drawnAlone("03.94"));
    EXPECT_FALSE(shown == drawnAlone("03.96"));
    // The first tab, no longer shown, paints nothing more either.
    TreePaints first(&w->frmDev(0));
    w->set_lstInfoLine(0, 1, QStringLiteral(" Device1: STOP"));
    test::settleFor(100);
    EXPECT_EQ(first.paints(), 0);
}

TEST_F(Repaint, AResultCellWrittenAsItStandsIsNotRepainted)
{
    Grid &g = w->gridRun(0);
    g.set_TextMatrix(1, 1, QStringLiteral("D-CC  1.00A  3.50V"));
    g.set_TextMatrix(1, 6, QStringLiteral("3.95V"));
    test::settleFor(50);
    test::PaintCounter paints(g.viewport());
    g.set_TextMatrix(1, 1, QStringLiteral("D-CC  1.00A  3.50V"));
    g.set_TextMatrix(1, 6, QStringLiteral("3.95V"));
    test::settleFor(50);
    EXPECT_EQ(paints.paints, 0);
    // A changed cell is repainted, and shows its new text.
    g.set_TextMatrix(1, 6, QStringLiteral("3.94V"));
    test::settleFor(50);
    EXPECT_GT(paints.paints, 0);
    EXPECT_EQ(g.TextMatrix(1, 6), "3.94V");
}
