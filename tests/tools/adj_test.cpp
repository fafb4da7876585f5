// The calibration window: the frames of every point and of OK as they
// arrive on the far end of the port (a pseudo-terminal opened through the
// program's serial layer), the checks that keep a point from being sent, and
// the window's life as the main window shows and hides it.
#include "common/Hex.h"
#include "common/QtPrint.h"
#include "common/RawPty.h"
#include "common/UserInput.h"
#include "mainwin/MainFixture.h"

#include "link/COMM.h"
#include "panel/DevCtrl.h"
#include "platform/KeyedTabBar.h"
#include "tools/frmAdj.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace qx;
using qx::test::type;

namespace {

const QString Invalid = "Invalid value!";
const QString Range = "Setting value out of range!";

class Calibration : public test::MainFixture {
protected:
    void SetUp() override
    {
        w = &load();
        ASSERT_TRUE(pty.ok());
        PortHandle[0] = COMM::OpenComm(3);
        ASSERT_NE(PortHandle[0], 0);
        device(1, 0, 100, 10, 60);
    }
    void TearDown() override
    {
        frmAdjForm().unload();
        COMM::CloseComm(PortHandle[0]);
    }
    void device(int type, int ver, int curScale, float maxCur, float maxVol)
    {
        DevType[0] = type;
        DevVer[0] = ver;
        CurScale[0] = curScale;
        MaxCur[0] = maxCur;
        MaxVol[0] = maxVol;
    }
    // The calibration menu with its notice answered.
    frmAdj &open()
    {
        w->menuAdj_Click();
        ui.msgs.clear();
        return frmAdjForm().get();
    }
    void reading(const char *volts, const char *amps, int chn = 0)
    {
        w->DevCtrl(0).set_tVol(chn, QString::fromLatin1(volts));
        w->DevCtrl(0).set_tCur(chn, QString::fromLatin1(amps));
    }
    // The next ten bytes on the wire.
    std::string next() { return test::hexText(pty.read(10)).toStdString(); }
    // Nothing more was written: what comes next is a store frame of ours.
    void expectNothingSent(frmAdj &a)
    {
        a.cmdOK->setEnabled(true);
        a.cmdOK->click();
        EXPECT_EQ(next(), "FA 04 04 00 00 00 00 00 00 F8");
    }
    test::RawPty pty{home.path(), 3};
    frmMain *w = nullptr;
};

} // namespace

TEST_F(Calibration, EveryPointSendsItsSubCommandAndValue)
{
    struct Case {
        int type, ver, curScale;
        const char *volts, *amps; // the panel's readings
        const char *point;        // VL, VH, CL, CH
        const char *entry;
        const char *frame;
    };
    const Case cases[] = {
        // 12345 mV = 51 * 240 + 105
        {1, 0, 100, "12.345", "0.00", "VL", "12.345", "FA 04 00 33 69 00 00 00 5E F8"},
        // 20000 mV = 83 * 240 + 80
        {1, 0, 100, "20.000", "0.00", "VH", "20", "FA 04 01 53 50 00 00 00 06 F8"},
        // 1.5 A at 100 units per ampere: 150
        {1, 0, 100, "0.000", "1.50", "CL", "1.5", "FA 04 02 00 96 00 00 00 90 F8"},
        // 1.5 A at 1000: 1500 = 6 * 240 + 60
        {5, 300, 1000, "0.000", "1.500", "CH", "1.5", "FA 04 03 06 3C 00 00 00 3D F8"},
        // type 26 from firmware 320 counts ten times finer: 15000 = 62 * 240 + 120
        {26, 320, 1000, "0.000", "1.500", "CH", "1.5", "FA 04 03 3E 78 00 00 00 41 F8"},
        {26, 319, 1000, "0.000", "1.500", "CH", "1.5", "FA 04 03 06 3C 00 00 00 3D F8"},
        // type 5 only with firmware 310
        {5, 310, 1000, "0.000", "1.500", "CL", "1.5", "FA 04 02 3E 78 00 00 00 40 F8"},
        // the types that always count ten times finer: 1.5 A at 100 -> 1500
        {7, 0, 100, "0.000", "1.50", "CL", "1.5", "FA 04 02 06 3C 00 00 00 3C F8"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.point) + " type " + std::to_string(c.type) + " v" + std::to_string(c.ver));
        device(c.type, c.ver, c.curScale, 10, 60);
        reading(c.volts, c.amps);
        frmAdj &a = open();
        QLineEdit *box = QString(c.point) == "VL"   ? a.txtVL
                         : QString(c.point) == "VH" ? a.txtVH
                         : QString(c.point) == "CL" ? a.txtCL
                                                    : a.txtCH;
        QPushButton *cmd = QString(c.point) == "VL"   ? a.cmdVL
                           : QString(c.point) == "VH" ? a.cmdVH
                           : QString(c.point) == "CL" ? a.cmdCL
                                                      : a.cmdCH;
        EXPECT_FALSE(a.cmdOK->isEnabled());
        box->setText(QString::fromLatin1(c.entry));
        cmd->setEnabled(true);
        cmd->click();
        EXPECT_EQ(next(), c.frame);
        EXPECT_TRUE(a.cmdOK->isEnabled());
        EXPECT_TRUE(ui.msgTexts().filter("!").isEmpty()) << ui.msgTexts().join('|').toStdString();
        a.cmdOK->click();
        EXPECT_EQ(next(), "FA 04 04 00 00 00 00 00 00 F8");
        EXPECT_FALSE(a.isVisible());
    }
}

TEST_F(Calibration, SecondChannelOfATwoChannelDevice)
{
    device(17, 100, 1000, 2.5f, 15);
    w->DevCtrl(0).set_Dev2S(true);
    w->DevCtrl(0).findChild<QRadioButton *>("optChn1")->click();
    ASSERT_EQ(w->DevCtrl(0).chn(), "1");
    reading("12.345", "0.000", 1);
    frmAdj &a = open();
    EXPECT_EQ(a.windowTitle(), "Calibration--Device1-Channel2");
    a.txtVL->setText("12.345");
    a.cmdVL->click();
    // command byte 164; the checksum 0xFE taken modulo 240
    EXPECT_EQ(next(), "FA A4 00 33 69 00 00 00 0E F8");
}

TEST_F(Calibration, EntriesOutsideTheReadingOrTheDeviceAreRefused)
{
    device(5, 300, 1000, 5, 60);
    reading("10.000", "2.000");
    frmAdj &a = open();
    struct Case {
        const char *entry;
        const char *message; // "" accepted
    };
    // within 0.9 to 1.1 times the reading
    const Case volts[] = {{"9.000", ""}, {"11.000", ""}, {"8.999", "Setting value out of range!"},
                          {"11.001", "Setting value out of range!"}, {"abc", "Invalid value!"},
                          {"", "Invalid value!"}, {"-1", "Setting value out of range!"},
                          {"61", "Setting value out of range!"}};
    for (const Case &c : volts) {
        SCOPED_TRACE(c.entry);
        ui.msgs.clear();
        a.txtVH->setText(QString::fromLatin1(c.entry));
        a.cmdVH->click();
        EXPECT_TRUE(ui.shownPrompt(QLatin1String(c.message)));
        if (!*c.message) {
            EXPECT_EQ(next().substr(0, 8), "FA 04 01");
        }
    }
    EXPECT_EQ(pty.read(1, 200).size(), 0u);

    // A reading of 0 accepts only 0.
    reading("0.000", "0.000");
    ui.msgs.clear();
    a.txtVL->setText("0.001");
    a.cmdVL->click();
    EXPECT_EQ(ui.msgTexts(), QStringList{Range});
    a.txtVL->setText("0");
    a.cmdVL->click();
    EXPECT_EQ(next(), "FA 04 00 00 00 00 00 00 04 F8");
}

TEST_F(Calibration, ValuesThatDoNotFitAFrameAreRefused)
{
    // 57.600 V would be 57600 mV, one above the largest pair.
    device(26, 320, 1000, 10, 60);
    reading("57.600", "5.760");
    frmAdj &a = open();
    a.txtVH->setText("57.6");
    a.cmdVH->click();
    // 5.760 A at 10000 units per ampere: 57600
    a.cmdCH->setEnabled(true);
    a.txtCH->setText("5.76");
    a.cmdCH->click();
    EXPECT_EQ(ui.msgTexts(), (QStringList{Range, Range}));
    EXPECT_FALSE(a.cmdOK->isEnabled());
    // The largest that fits goes out: 57599 = 239 * 240 + 239.
    reading("57.599", "0");
    a.txtVH->setText("57.599");
    a.cmdVH->click();
    EXPECT_EQ(next(), "FA 04 01 EF EF 00 00 00 05 F8");
}

TEST_F(Calibration, AReadingThatIsNoNumberAcceptsNothing)
{
    reading("--.--", "0.00");
    frmAdj &a = open();
    a.txtVL->setText("0");
    a.cmdVL->click();
    EXPECT_EQ(ui.msgTexts(), QStringList{Range});
    EXPECT_FALSE(a.cmdOK->isEnabled());
    expectNothingSent(a);
}

TEST_F(Calibration, WithoutAPortTheWindowSaysSo)
{
    COMM::CloseComm(PortHandle[0]);
    reading("12.000", "0.00");
    frmAdj &a = open();
    a.txtVL->setText("12");
    a.cmdVL->click();
    EXPECT_EQ(ui.msgTexts().last(), "Please connect device first");
    EXPECT_FALSE(a.cmdOK->isEnabled());
    // OK after a port went away: the store did not go out, so the window stays.
    a.cmdOK->setEnabled(true);
    a.cmdOK->click();
    EXPECT_EQ(ui.msgTexts().last(), "Please connect device first");
    EXPECT_TRUE(a.isVisible());
    EXPECT_TRUE(AdjOpen);
    a.cmdCancel->click();
    EXPECT_FALSE(a.isVisible());
    EXPECT_FALSE(AdjOpen);
}

TEST_F(Calibration, LeaveChecksKeepTheTextAndFormatGoodOnes)
{
    device(26, 320, 1000, 4, 21);
    frmAdj &a = open();
    // four decimals at 10000 units per ampere
    EXPECT_EQ(a.txtCL->text(), "0.0000");
    EXPECT_EQ(a.txtVL->text(), "0.000");
    type(a.txtCH, "1.5");
    EXPECT_EQ(a.txtCH->text(), "1.5000");
    type(a.txtVH, "12");
    EXPECT_EQ(a.txtVH->text(), "12.000");
    type(a.txtVL, "x1");
    type(a.txtCL, "4.01");
    type(a.txtVH, "21.5");
    EXPECT_EQ(ui.msgTexts(), (QStringList{Invalid, Range, Range}));
    EXPECT_EQ(a.txtVL->text(), "x1");
    EXPECT_EQ(a.txtCL->text(), "4.01");
    EXPECT_EQ(a.txtVH->text(), "21.5");
}

TEST_F(Calibration, MenuShowsItAndOkOrCancelOnlyHideIt)
{
    ASSERT_FALSE(frmAdjForm().isLoaded());
    w->menuAdj_Click();
    EXPECT_EQ(ui.msgs.at(0).text, "Calibrate Parameter?");
    EXPECT_EQ(ui.msgs.at(0).style, MbInformation);
    frmAdj &a = frmAdjForm().get();
    EXPECT_TRUE(a.isVisible());
    EXPECT_EQ(a.windowTitle(), "Calibration--Device1");
    // An idle channel: the voltage points.
    EXPECT_TRUE(a.cmdVL->isEnabled());
    EXPECT_TRUE(a.cmdVH->isEnabled());
    EXPECT_FALSE(a.cmdCL->isEnabled());
    EXPECT_FALSE(a.cmdCH->isEnabled());
    EXPECT_FALSE(a.cmdOK->isEnabled());
    EXPECT_TRUE(a.cmdCancel->isEnabled());
    EXPECT_FALSE(w->tabDev->isEnabled());
    EXPECT_FALSE(w->DevCtrl(0).findChild<QRadioButton *>("optChn0")->isEnabled());
    EXPECT_FALSE(w->menuAdj->isEnabled());
    EXPECT_TRUE(AdjOpen);

    a.cmdCancel->click();
    EXPECT_TRUE(frmAdjForm().isLoaded());
    EXPECT_FALSE(a.isVisible());
    EXPECT_FALSE(AdjOpen);
    EXPECT_TRUE(w->tabDev->isEnabled());
    EXPECT_TRUE(w->DevCtrl(0).findChild<QRadioButton *>("optChn0")->isEnabled());

    // A running channel: the current points; the close box is Cancel.
    Running[0][0] = true;
    w->menuAdj_Click();
    EXPECT_FALSE(a.cmdVL->isEnabled());
    EXPECT_TRUE(a.cmdCH->isEnabled());
    a.close();
    EXPECT_FALSE(a.isVisible());
    EXPECT_TRUE(frmAdjForm().isLoaded());
    EXPECT_FALSE(AdjOpen);
    EXPECT_TRUE(w->tabDev->isEnabled());
}

TEST_F(Calibration, EachShowingIsSetUpForTheDeviceSelectedThen)
{
    device(5, 300, 1000, 5, 30);
    frmAdj &a = open();
    EXPECT_EQ(a.windowTitle(), "Calibration--Device1");
    EXPECT_EQ(a.txtCL->text(), "0.000");
    a.cmdCancel->click();

    w->menuAddDev_Click();
    w->tabDev->setCurrentIndex(1);
    w->tabDev_Click();
    ASSERT_EQ(CurDev, 1);
    DevType[1] = 1;
    CurScale[1] = 100;
    MaxCur[1] = 5;
    MaxVol[1] = 15;
    w->menuAdj_Click();
    EXPECT_EQ(a.windowTitle(), "Calibration--Device2");
    EXPECT_EQ(a.AdjScale, 100.0f);
    EXPECT_EQ(a.txtCL->text(), "0.00");
    EXPECT_FALSE(a.cmdOK->isEnabled());
    a.cmdCancel->click();
}
