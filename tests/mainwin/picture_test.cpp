// Pictures of the selected device: the bitmap file's header, size and
// pixels against the chart (and grid) drawn off-screen, the names, a chart
// larger than 32767 twips, and failures that are logged and told, never
// fatal.
#include "MainFixture.h"

#include "common/Files.h"
#include "common/FullDisk.h"

#include "curves/CurveGraph.h"
#include "services/ErrLog.h"
#include "services/Module4.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"
#include "platform/Picture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtEndian>

using namespace qx;

namespace {

struct BmpHeader {
    QByteArray magic;
    quint32 fileSize = 0;
    qint32 width = 0, height = 0;
    quint16 bits = 0;
};

BmpHeader header(const QString &path)
{
    QFile f(path);
    BmpHeader h;
    if (!f.open(QIODevice::ReadOnly))
        return h;
    const QByteArray b = f.read(54);
    if (b.size() < 54)
        return h;
    const auto *u = reinterpret_cast<const uchar *>(b.constData());
    h.magic = b.left(2);
    h.fileSize = qFromLittleEndian<quint32>(u + 2);
    h.width = qFromLittleEndian<qint32>(u + 18);
    h.height = qFromLittleEndian<qint32>(u + 22);
    h.bits = qFromLittleEndian<quint16>(u + 28);
    return h;
}

// Pixels of `part` at (x, y) of `whole` that differ (RGB only).
int differences(const QImage &whole, const QImage &part, int x, int y)
{
    const QImage a = whole.convertToFormat(QImage::Format_RGB32);
    const QImage b = part.convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int j = 0; j < b.height(); ++j)
        for (int i = 0; i < b.width(); ++i)
            if (x + i >= a.width() || y + j >= a.height() ||
                (a.pixel(x + i, y + j) & 0xFFFFFF) != (b.pixel(i, j) & 0xFFFFFF))
                ++n;
    return n;
}

class Picture : public test::MainFixture {
protected:
    Picture()
    {
        previousTicks = Module4::setTickSource([t = int64_t(0)]() mutable { return t += 100; });
        // An inner area of 960 x 600 pixels (14400 x 9000 twips).
        w.show();
        const QSize frame = w.size() - w.centralWidget()->size();
        w.resize(960 + frame.width(), 600 + frame.height());
        QCoreApplication::processEvents();
        draw(0, "Pictures 1");
    }
    ~Picture() override { Module4::setTickSource(previousTicks); }

    // A chart with a title, two curves and a filled result row.
    void draw(int Index, const char *title)
    {
        ::CurveGraph &g = w.CurveGraph(Index);
        g.set_TitleText(title);
        for (int i = 0; i < 60; ++i) {
            g.AddXY(0, float(i * 10), 3.0f + 0.01f * float(i));
            g.AddXY(1, float(i * 10), 1.0f + 0.5f * float(i % 7));
        }
        g.DrawCurve();
        const char *cells[] = {"QM-07", "D-CC", "4.150V", "3.000V", "1500mAh", "5.80Wh", "3.870V"};
        for (int c = 0; c < 7; ++c)
            w.gridRun(Index).set_TextMatrix(1, c, cells[c]);
    }
    void trigger(QAction *a, const QString &answer)
    {
        ui.fileAnswers.push_back(answer);
        a->trigger();
    }
    QString path(const char *name) const { return home.file(QLatin1String(name)); }
    QByteArray errLog() const { return home.read(QStringLiteral("Log/") + errLogFileName(QDate::currentDate())); }

    Module4::TickSource previousTicks;
    frmMain &w = load();
};

} // namespace

TEST_F(Picture, SaveCurveIsTheChartAsItDrawsItself)
{
    trigger(w.menuSavePic, path("curve"));
    const FileDialogRequest &req = ui.fileRequests.at(0);
    EXPECT_EQ(req.title, "Save Curve--Device1");
    EXPECT_EQ(req.filter, "bmp file(*.bmp)|*.bmp");
    EXPECT_TRUE(QRegularExpression("^\\d{4}(-\\d{1,2}){5}-QM-07$").match(req.defaultName).hasMatch())
        << req.defaultName.toStdString();

    const QImage chart = w.CurveGraph(0).grab().toImage();
    ASSERT_EQ(chart.size(), w.CurveGraph(0).size());
    ASSERT_EQ(chart.width(), 713);
    const BmpHeader h = header(path("curve.bmp"));
    EXPECT_EQ(h.magic, "BM");
    EXPECT_EQ(h.bits, 24);
    EXPECT_EQ(h.width, chart.width());
    EXPECT_EQ(std::abs(h.height), chart.height());
    // 54 header bytes, then rows of 3 bytes a pixel padded to 4 bytes.
    EXPECT_EQ(h.fileSize, 54u + quint32((chart.width() * 3 + 3) / 4 * 4 * chart.height()));
    EXPECT_EQ(QFile(path("curve.bmp")).size(), qint64(h.fileSize));

    const QImage saved(path("curve.bmp"));
    ASSERT_EQ(saved.size(), chart.size());
    EXPECT_EQ(differences(saved, chart, 0, 0), 0);
}

TEST_F(Picture, SavePictureAddsTheGridAndFiftyTwipsBelowIt)
{
    // The toolbar's picture key saves the chart with the grid.
    trigger(w.tlbSysButton("savepic"), path("both.bmp"));
    EXPECT_EQ(ui.fileRequests.at(0).title, "Save Picture--Device1");

    ::CurveGraph &g = w.CurveGraph(0);
    Grid &grid = w.gridRun(0);
    const QRect c = g.geometry(), r = grid.geometry();
    ASSERT_EQ(c.topLeft(), QPoint(3, 0));
    ASSERT_EQ(r.left(), 3);
    ASSERT_GT(r.top(), c.bottom());
    // From the chart's top-left corner, the chart's width, down to 50 twips
    // (3 pixels) below the grid.
    const QImage saved(path("both.bmp"));
    EXPECT_EQ(saved.size(), QSize(713, r.bottom() + 1 + 3));
    EXPECT_EQ(differences(saved, g.grab().toImage(), 0, 0), 0);
    EXPECT_EQ(differences(saved, grid.grab().toImage(), r.left() - c.left(), r.top() - c.top()), 0);
    // Between and below them the frame's background.
    const QRgb bg = w.frmDev(0).palette().color(QPalette::Window).rgb() & 0xFFFFFF;
    EXPECT_EQ(saved.pixel(c.width() / 2, c.height() + 1) & 0xFFFFFF, bg);
    EXPECT_EQ(saved.pixel(c.width() / 2, saved.height() - 1) & 0xFFFFFF, bg);
}

TEST_F(Picture, TheSelectedDeviceOnATwoChannelPanel)
{
    w.menuAddDev_Click();
    draw(1, "Second device");
    w.DevCtrl(1).set_Dev2S(true);
    w.InitDual(1);
    w.gridRun(1).set_TextMatrix(2, 0, "QM-08");
    w.tabDev->set_SelectedIndex(2);
    ASSERT_EQ(CurDev, 1);
    w.DevCtrl(1).findChild<QRadioButton *>("optChn1")->click();

    trigger(w.menuSavePic, path("second.BMP"));
    EXPECT_EQ(ui.fileRequests.at(0).title, "Save Curve--Device2-Channel2");
    EXPECT_TRUE(ui.fileRequests.at(0).defaultName.endsWith("-QM-08-2"));
    // Upper-case BMP is the extension too. (QImage would find "x.BMP.bmp"
    // by "x.BMP" as well: the file's own name is checked.)
    EXPECT_TRUE(QFile::exists(path("second.BMP")));
    EXPECT_FALSE(QFile::exists(path("second.BMP.bmp")));
    const QImage saved(path("second.BMP"));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(differences(saved, w.CurveGraph(1).grab().toImage(), 0, 0), 0);
    EXPECT_GT(differences(saved, w.CurveGraph(0).grab().toImage(), 0, 0), 0);
}

TEST_F(Picture, AChartWiderAndTallerThan32767Twips)
{
    // 2400 x 2300 pixels are 36000 x 34500 twips.
    w.CurveGraph(0).setGeometry(QRect(3, 0, 2400, 2300));
    w.gridRun(0).move(3, 2306);
    trigger(w.menuSavePic, path("large.bmp"));
    trigger(w.menuCapture, path("large-grid.bmp"));
    const BmpHeader h = header(path("large.bmp"));
    EXPECT_EQ(h.width, 2400);
    EXPECT_EQ(std::abs(h.height), 2300);
    const QImage saved(path("large.bmp"));
    EXPECT_EQ(differences(saved, w.CurveGraph(0).grab().toImage(), 0, 0), 0);
    EXPECT_EQ(QImage(path("large-grid.bmp")).size(), QSize(2400, 2306 + w.gridRun(0).height() + 3));
    EXPECT_FALSE(errLog().contains("ErrSavePic")) << errLog().toStdString();
}

TEST_F(Picture, FailuresAreLoggedAndToldNeverFatal)
{
    // A folder that does not exist; a folder in the file's place.
    QDir(home.path()).mkdir("taken.bmp");
    trigger(w.menuSavePic, path("none/a.bmp"));
    trigger(w.tlbSysButton("savepic"), path("taken.bmp"));
    const QByteArray log = errLog();
    EXPECT_TRUE(log.contains(":[ErrSavePic]") && log.contains("none/a.bmp")) << log.toStdString();
    EXPECT_TRUE(log.contains(":[ErrCapture]") && log.contains("taken.bmp"));
    EXPECT_TRUE(QFileInfo(path("taken.bmp")).isDir());
    ASSERT_EQ(ui.msgTexts(), QStringList({"Save failed!", "Save failed!"}));
    EXPECT_EQ(ui.msgs.back().style, MbCritical);
    // A full disk: the earlier picture stays as it was.
    trigger(w.menuSavePic, path("kept.bmp"));
    const QByteArray kept = test::readFile(path("kept.bmp"));
    ASSERT_TRUE(kept.startsWith("BM"));
    draw(0, "Pictures 2");
    {
        test::FullDisk full(1000);
        trigger(w.menuSavePic, path("kept.bmp"));
    }
    EXPECT_EQ(test::readFile(path("kept.bmp")), kept);
    EXPECT_EQ(ui.msgTexts().size(), 3);
    EXPECT_TRUE(errLog().contains("kept.bmp: File too large")) << errLog().toStdString();
    // Cancelled: nothing asked after the dialog, nothing logged.
    const QByteArray before = errLog();
    trigger(w.menuCapture, QString());
    EXPECT_EQ(errLog(), before);
    EXPECT_EQ(ui.msgTexts().size(), 3);
}

TEST(PictureFile, RefusesWhatItCannotWrite)
{
    QString reason;
    EXPECT_FALSE(picture::saveBmp(QImage(), QStringLiteral("/tmp/never.bmp"), &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_TRUE(picture::render(QRect(), {}, Qt::white).isNull());
}
