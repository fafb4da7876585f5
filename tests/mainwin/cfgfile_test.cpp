// The parameter file: the lines "Save Parameter" writes, loading them back,
// the dialog's title and default name, and what a table of malformed files
// loads (nothing that is not a well-formed entry of the device's model).
#include "MainFixture.h"

#include "common/Files.h"
#include "common/FullDisk.h"

#include "curves/CurveGraph.h"
#include "services/ErrLog.h"
#include "services/Module4.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QRegularExpression>

using namespace qx;
using test::readFile;

namespace {

class CfgFile : public test::MainFixture {
protected:
    CfgFile()
    {
        // A file dialog that answers later than 20 ms is taken at its word.
        previousTicks = Module4::setTickSource([t = int64_t(0)]() mutable { return t += 100; });
        w.gridRun(0).set_TextMatrix(1, 0, "QM-01");
    }
    ~CfgFile() override { Module4::setTickSource(previousTicks); }

    // The texts the file touches, on the shown channel.
    void texts(int chn, const char *title, const char *sval, const char *slmt, const char *stim)
    {
        w.CurveGraph(0).set_TitleText(title);
        p.set_tSval(chn, sval);
        p.set_tSlmt(chn, slmt);
        p.set_tStim(chn, stim);
    }
    std::vector<std::string> shown(int chn) const
    {
        return {w.CurveGraph(0).TitleText().toStdString(), p.tSval(chn).toStdString(), p.tSlmt(chn).toStdString(),
                p.tStim(chn).toStdString()};
    }
    void save(const QString &answer)
    {
        ui.fileAnswers.push_back(answer);
        w.menuSaveCfg->setEnabled(true);
        w.menuSaveCfg->trigger();
    }
    void open(const QString &answer)
    {
        ui.fileAnswers.push_back(answer);
        w.menuOpenCfg->setEnabled(true);
        w.menuOpenCfg->trigger();
    }
    QString path(const char *name) const { return home.file(QLatin1String(name)); }
    QByteArray errLog() const { return home.read(QStringLiteral("Log/") + errLogFileName(QDate::currentDate())); }

    Module4::TickSource previousTicks;
    frmMain &w = load();
    DevCtrl &p = w.DevCtrl(0);
};

} // namespace

TEST_F(CfgFile, SaveWritesTheShownTextsAndOpenLoadsThemBack)
{
    texts(0, "Pack 12 – 18650", "1.500", "3.00", "120");
    save(path("cell"));
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    const FileDialogRequest &req = ui.fileRequests[0];
    EXPECT_TRUE(req.save);
    EXPECT_EQ(req.title, "Save Parameter--Device1");
    EXPECT_EQ(req.filter, "config file(*.cfg)|*.cfg");
    EXPECT_TRUE(QRegularExpression("^\\d{4}(-\\d{1,2}){5}-QM-01$")
                    .match(req.defaultName)
                    .hasMatch())
        << req.defaultName.toStdString();
    // The time limit is kept in "M:"; the title keeps its characters.
    EXPECT_EQ(readFile(path("cell.cfg")), QByteArray("---------QX Tester Software--------\r\n"
                                                     "D:QM-01\r\n"
                                                     "T:Pack 12 \xE2\x80\x93 18650\r\n"
                                                     "S:1.500\r\n"
                                                     "L:3.00\r\n"
                                                     "M:120\r\n"
                                                     "----------QX Parameter File----------\r\n"));

    texts(0, "other", "9.9", "9.9", "9");
    open(path("cell.cfg"));
    EXPECT_EQ(ui.fileRequests.back().title, "Open Parameter");
    EXPECT_FALSE(ui.fileRequests.back().save);
    EXPECT_EQ(shown(0), (std::vector<std::string>{"Pack 12 – 18650", "1.500", "3.00", "120"}));
    EXPECT_TRUE(ui.msgs.empty());
}

TEST_F(CfgFile, TwoChannelDeviceUsesTheShownChannelAndTheFirstRowsModel)
{
    p.set_Dev2S(true);
    w.InitDual(0);
    w.gridRun(0).set_TextMatrix(2, 0, "QM-02");
    p.findChild<QRadioButton *>("optChn1")->click();
    ASSERT_EQ(p.chn(), "1");
    texts(0, "T", "1.00", "2.00", "10");
    texts(1, "Two", "0.50", "3.60", "45");
    save(path("two.cfg"));
    EXPECT_EQ(ui.fileRequests.back().title, "Save Parameter--Device1-Channel2");
    EXPECT_TRUE(ui.fileRequests.back().defaultName.endsWith("-QM-02-2")) << ui.fileRequests.back().defaultName.toStdString();
    EXPECT_EQ(readFile(path("two.cfg")), QByteArray("---------QX Tester Software--------\r\n"
                                                    "D:QM-01\r\n"
                                                    "T:Two\r\n"
                                                    "S:0.50\r\n"
                                                    "L:3.60\r\n"
                                                    "M:45\r\n"
                                                    "----------QX Parameter File----------\r\n"));
    // Loaded into channel 1 while it is shown; channel 0 keeps its texts.
    texts(1, "x", "0", "0", "0");
    open(path("two.cfg"));
    EXPECT_EQ(shown(1), (std::vector<std::string>{"Two", "0.50", "3.60", "45"}));
    EXPECT_EQ(p.tSval(0), "1.00");
}

TEST_F(CfgFile, SaveNamesRunningChannelAndFailures)
{
    texts(0, "T", "1.00", "2.00", "10");
    // The ending in any case is the extension: "upper.CFG" is written as such.
    save(path("upper.CFG"));
    EXPECT_TRUE(QFile::exists(path("upper.CFG")));
    EXPECT_FALSE(QFile::exists(path("upper.CFG.cfg")));
    save(path("kept.cfg"));
    EXPECT_TRUE(QFile::exists(path("kept.cfg")));
    // Cancelled dialog: nothing.
    const size_t asked = ui.fileRequests.size();
    save(QString());
    EXPECT_EQ(ui.fileRequests.size(), asked + 1);
    // A running channel saves nothing and asks nothing.
    Running[0][0] = true;
    save(path("running.cfg"));
    EXPECT_EQ(ui.fileRequests.size(), asked + 1);
    EXPECT_FALSE(QFile::exists(path("running.cfg")));
    Running[0][0] = false;
    ui.fileAnswers.clear();
    // A folder that does not exist: logged and told, no file.
    EXPECT_TRUE(ui.msgs.empty());
    save(path("no-such-folder/x.cfg"));
    EXPECT_EQ(ui.msgTexts(), QStringList{"Save failed!"});
    EXPECT_TRUE(errLog().contains(":[ErrSaveCfg]")) << errLog().toStdString();
    EXPECT_TRUE(errLog().contains("no-such-folder/x.cfg"));
    // A full disk: the earlier file stays as it was.
    const QByteArray kept = readFile(path("kept.cfg"));
    const QByteArray longTitle(2000, 'T');
    texts(0, longTitle.constData(), "2.00", "3.00", "20");
    {
        // Room for the error log's entry, not for the file.
        test::FullDisk full(1000);
        save(path("kept.cfg"));
    }
    EXPECT_EQ(readFile(path("kept.cfg")), kept);
    EXPECT_EQ(ui.msgTexts(), QStringList({"Save failed!", "Save failed!"}));
    EXPECT_TRUE(errLog().contains("kept.cfg: File too large")) << errLog().toStdString();
}

TEST_F(CfgFile, MalformedFilesLoadOnlyWellFormedEntriesOfTheModel)
{
    const QByteArray head = "---------QX Tester Software--------\r\n";
    const QByteArray longLine = "T:" + QByteArray(100 * 1024, 'x') + "\r\n";
    const struct {
        const char *what;
        QByteArray bytes;
        std::vector<std::string> expect;  // title, set value, limit, time limit
    } cases[] = {
        {"empty file", "", {"T0", "1.00", "2.00", "30"}},
        {"header only", head, {"T0", "1.00", "2.00", "30"}},
        {"another model", head + "D:QM-02\r\nT:New\r\nS:5\r\n", {"T0", "1.00", "2.00", "30"}},
        {"model with a trailing blank", head + "D:QM-01 \r\nS:5\r\n", {"T0", "1.00", "2.00", "30"}},
        {"model in another case", head + "D:qm-01\r\nS:5\r\n", {"T0", "1.00", "2.00", "30"}},
        {"model only on the first line", "D:QM-01\r\nS:5\r\n", {"T0", "1.00", "2.00", "30"}},
        {"no model line", head + "T:New\r\nS:5\r\nL:6\r\nM:7\r\n", {"T0", "1.00", "2.00", "30"}},
        {"entries before the model line", head + "T:New\r\nS:5\r\nD:QM-01\r\nL:6\r\n", {"T0", "1.00", "6", "30"}},
        {"short lines", head + "D:QM-01\r\nT:A\r\nS:5\r\nL:\r\nM\r\n\r\n", {"A", "5", "2.00", "30"}},
        {"values that are no number", head + "D:QM-01\r\nS:abc\r\nL:1,5\r\nM:--\r\n", {"T0", "1.00", "2.00", "30"}},
        {"old file with a run time in M:", head + "D:QM-01\r\nT:Old\r\nS:0.80\r\nL:3.20\r\nM:01:23:45\r\n",
         {"Old", "0.80", "3.20", "30"}},
        {"LF line ends", head + "D:QM-01\nT:Lf\nS:0.25\nL:4.2\nM:60\n", {"Lf", "0.25", "4.2", "60"}},
        {"no line end at the end", head + "D:QM-01\r\nM:15", {"T0", "1.00", "2.00", "15"}},
        {"unknown tags and a second model", head + "D:QM-01\r\nX:9\r\nD:QM-02\r\nS:7\r\n", {"T0", "7", "2.00", "30"}},
        {"a later entry wins", head + "D:QM-01\r\nS:1\r\nS:2\r\n", {"T0", "2", "2.00", "30"}},
        {"an over-long line is passed over", head + "D:QM-01\r\n" + longLine + "S:3\r\n", {"T0", "3", "2.00", "30"}},
        {"binary bytes", head + QByteArray("D:QM-01\r\n\0\xff\xfe\r\nS:\0\r\nL:8\r\n", 24), {"T0", "1.00", "8", "30"}},
        // Written on Windows in its ANSI code page.
        {"a Western title", head + "D:QM-01\r\nT:Akku Pr\xFC" "fung 5\xB0" "C\r\nS:1.5\r\n",
         {"Akku Prüfung 5°C", "1.5", "2.00", "30"}},
        {"a Chinese title", head + "D:QM-01\r\nT:\xB5\xE7\xB3\xD8\xB2\xE2\xCA\xD4\r\n",
         {"电池测试", "1.00", "2.00", "30"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        texts(0, "T0", "1.00", "2.00", "30");
        home.write("case.cfg", c.bytes);
        open(path("case.cfg"));
        EXPECT_EQ(shown(0), c.expect);
    }
    EXPECT_TRUE(ui.msgs.empty());
}

TEST_F(CfgFile, OpenRefusesOtherNamesUnreadableFilesAndUnidentifiedDevices)
{
    const QByteArray file = "---------QX Tester Software--------\r\nD:QM-01\r\nS:5\r\n";
    texts(0, "T0", "1.00", "2.00", "30");
    home.write("a.txt", file);
    open(path("a.txt"));
    open(path("missing.cfg"));
    QDir(home.path()).mkdir("folder.cfg");
    open(path("folder.cfg"));
    open(QString());
    EXPECT_EQ(p.tSval(0), "1.00");
    // A device that has not been identified shows no model of the file.
    w.gridRun(0).set_TextMatrix(1, 0, "No Device");
    home.write("a.cfg", file);
    open(path("a.cfg"));
    EXPECT_EQ(p.tSval(0), "1.00");
    EXPECT_TRUE(ui.msgs.empty());
    // The ending counts in any case, as files from Windows carry it.
    w.gridRun(0).set_TextMatrix(1, 0, "QM-01");
    home.write("PARAM.CFG", file);
    open(path("PARAM.CFG"));
    EXPECT_EQ(p.tSval(0), "5");
}
