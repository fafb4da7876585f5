// The step page's Save and Open: the step file written for the panel's
// program table, read back, and malformed files that load only their
// well-formed cell lines.
#include "MainFixture.h"
#include "common/FullDisk.h"
#include "common/QtPrint.h"

#include "services/Module4.h"
#include "panel/DevCtrl.h"

using namespace qx;
using qx::test::MainFixture;

namespace {

const QByteArray Head = "----------QX Step File--------------\r\nDEV:7\r\n";

class StepFile : public MainFixture {
protected:
    void SetUp() override
    {
        main = &load();
        // The file dialog answers at once; a slow clock keeps it from being shown twice.
        previousTicks = Module4::setTickSource([this] { return ticks += 1000; });
        DevType[0] = 7;
        p().ModeClr();
        for (const char *m : {"D-CC", "D-CP", "C-CV"})
            p().ModeAdd(QLatin1String(m));
    }
    void TearDown() override { Module4::setTickSource(previousTicks); }

    DevCtrl &p() { return main->DevCtrl(0); }
    void setRow(int r, const char *mode, const char *set, const char *lmt, const char *third)
    {
        p().set_tStepSet(r, 1, QLatin1String(mode));
        p().set_tStepSet(r, 2, QLatin1String(set));
        p().set_tStepSet(r, 3, QLatin1String(lmt));
        p().set_tStepSet(r, 4, QLatin1String(third));
    }
    // The program cells that hold text, as "row,col=text".
    QStringList cells()
    {
        QStringList l;
        for (int r = 1; r <= 10; ++r)
            for (int c = 1; c <= 4; ++c)
                if (!p().tStepSet(r, c).isEmpty())
                    l << QStringLiteral("%1,%2=%3").arg(r).arg(c).arg(p().tStepSet(r, c));
        return l;
    }
    // Headers and row numbers of the table as StepSetClr writes them.
    bool framed()
    {
        const QStringList heads{"Step", "Mode", "Set1", "Set2", "Cutoff"};
        for (int c = 0; c < 5; ++c)
            if (p().tStepSet(0, c) != heads[c])
                return false;
        for (int r = 1; r <= 10; ++r)
            if (p().tStepSet(r, 0) != QString::number(r))
                return false;
        return true;
    }
    void save(const QString &name)
    {
        ui.fileAnswers = {name};
        main->DevCtrl_StepSaveClick(0);
    }
    void open(const QString &name)
    {
        ui.fileAnswers = {name};
        main->DevCtrl_StepOpenClick(0);
    }
    QStringList openBytes(const QByteArray &bytes)
    {
        home.write("prog.stp", bytes);
        setRow(5, "D-CC", "9", "9", "9");  // something the open replaces
        open(home.file("prog.stp"));
        return cells();
    }

    frmMain *main = nullptr;
    int64_t ticks = 0;
    Module4::TickSource previousTicks;
};

} // namespace

TEST_F(StepFile, SaveWritesTheModelAndOneLinePerCellUpToTheFirstEmptyRow)
{
    setRow(1, "D-CP", "25", "10.5", "60");
    setRow(2, "Wait", "0.00", "0.00", "5");
    setRow(3, "C-CV", "1.00", "4.20", "0.10");
    setRow(4, "Cycle", "0.00", "", "3");
    setRow(6, "D-CC", "1.00", "1.00", "1");  // after the empty row 5: not saved
    save(home.file("prog"));

    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_TRUE(ui.fileRequests[0].save);
    EXPECT_EQ(ui.fileRequests[0].title, "Save Step");
    EXPECT_EQ(ui.fileRequests[0].filter, "step file(*.stp)|*.stp");
    EXPECT_EQ(ui.fileRequests[0].defaultName, "");
    EXPECT_EQ(home.read("prog.stp"), Head +
                                         "011:1\r\n012:25\r\n013:10.5\r\n014:60\r\n"
                                         "021:3\r\n022:0.00\r\n023:0.00\r\n024:5\r\n"
                                         "031:2\r\n032:1.00\r\n033:4.20\r\n034:0.10\r\n"
                                         "041:4\r\n042:0.00\r\n043:\r\n044:3\r\n");
}

TEST_F(StepFile, ExtensionAddedUnlessTheNameEndsInStpInAnyCase)
{
    setRow(1, "D-CC", "1.00", "3.00", "10");
    const struct {
        const char *chosen, *written;
    } cases[] = {
        {"a.STP", "a.STP"}, {"b.stp", "b.stp"}, {"c", "c.stp"}, {"d.Stp", "d.Stp"}, {"e.stp.txt", "e.stp.txt.stp"},
    };
    for (const auto &c : cases) {
        save(home.file(c.chosen));
        EXPECT_TRUE(QFile::exists(home.file(c.written))) << c.chosen;
    }
    // Those files and nothing else; cancel writes nothing.
    save(QString());
    EXPECT_EQ(QDir(home.path()).entryList({"*.stp", "*.STP", "*.Stp"}, QDir::Files).size(), 5);
}

TEST_F(StepFile, ASaveThatFailsIsToldAndLogged)
{
    fixErrLogClock();
    setRow(1, "D-CC", "1.00", "3.00", "10");
    save(home.file("no-such-folder/prog.stp"));
    EXPECT_EQ(ui.msgTexts(), QStringList{"Save failed!"});
    EXPECT_TRUE(errLog().contains(":[ErrSaveStep]")) << errLog().toStdString();
    EXPECT_TRUE(errLog().contains("no-such-folder/prog.stp"));

    // On a full disk the earlier file stays as it was.
    save(home.file("prog.stp"));
    const QByteArray kept = home.read("prog.stp");
    const QByteArray power(2000, '5');
    setRow(2, "D-CP", power.constData(), "10.5", "60");
    {
        // Room for the error log's entry, not for the file.
        test::FullDisk full(1000);
        save(home.file("prog.stp"));
    }
    EXPECT_EQ(home.read("prog.stp"), kept);
    EXPECT_EQ(ui.msgTexts(), QStringList({"Save failed!", "Save failed!"}));
    EXPECT_TRUE(errLog().contains("prog.stp: File too large")) << errLog().toStdString();
}

TEST_F(StepFile, TenRowsRoundTrip)
{
    for (int r = 1; r <= 9; ++r)
        setRow(r, r % 3 == 0 ? "Wait" : r % 3 == 1 ? "D-CC" : "C-CV", qPrintable(QString::number(r) + ".50"), "4.20",
               qPrintable(QString::number(r * 10)));
    setRow(10, "Cycle", "0.00", "0.00", "2");
    const QStringList before = cells();
    ASSERT_EQ(before.size(), 40);
    save(home.file("ten.stp"));
    const QByteArray bytes = home.read("ten.stp");
    EXPECT_TRUE(bytes.endsWith("\r\n101:4\r\n102:0.00\r\n103:0.00\r\n104:2\r\n"));
    EXPECT_EQ(bytes.count('\n'), 42);

    p().StepSetClr();
    open(home.file("ten.stp"));
    EXPECT_EQ(ui.fileRequests.back().title, "Open Step");
    EXPECT_FALSE(ui.fileRequests.back().save);
    EXPECT_EQ(cells(), before);
    EXPECT_TRUE(framed());
}

TEST_F(StepFile, AProgramWhoseRowsGoOnAfterCycleIsLoadedAndTold)
{
    const char *const Told = "Steps after Cycle will not run!";
    const struct {
        const char *what;
        QByteArray lines;
        bool told;
    } cases[] = {
        {"rows after the cycle", "011:0\r\n021:4\r\n024:2\r\n031:1\r\n041:3\r\n", true},
        {"a cycle first", "011:4\r\n014:2\r\n021:0\r\n", true},
        {"the cycle last", "011:0\r\n021:3\r\n031:4\r\n034:2\r\n", false},
        {"a cycle behind an empty row", "011:0\r\n031:4\r\n041:0\r\n", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ui.msgs.clear();
        const QStringList loaded = openBytes(Head + c.lines);
        ASSERT_EQ(ui.msgTexts(), c.told ? QStringList{Told} : QStringList{});
        if (c.told) {
            EXPECT_EQ(ui.msgs[0].style, MbInformation);
            EXPECT_EQ(ui.msgs[0].title, "Prompt");
        }
        EXPECT_EQ(loaded.count(), QString::fromLatin1(c.lines).count(QLatin1Char(':'))) << "every row kept";
    }
}

TEST_F(StepFile, ModesReadThroughTheCurrentModeList)
{
    // The file holds mode indexes: a device with another list shows its own texts.
    setRow(1, "D-CP", "25", "10.5", "60");
    setRow(2, "Wait", "0.00", "0.00", "5");
    save(home.file("prog.stp"));
    p().ModeClr();
    for (const char *m : {"D-CC", "Power", "C-CV"})
        p().ModeAdd(QLatin1String(m));
    open(home.file("prog.stp"));
    EXPECT_EQ(cells(), QStringList({"1,1=Power", "1,2=25", "1,3=10.5", "1,4=60", "2,1=Wait", "2,2=0.00",
                                    "2,3=0.00", "2,4=5"}));
}

TEST_F(StepFile, OpenOnlyTakesStpFilesOfTheSameModel)
{
    setRow(1, "D-CC", "1.00", "3.00", "10");
    const QStringList kept = cells();
    home.write("prog.txt", Head + "011:1\r\n");
    open(home.file("prog.txt"));
    EXPECT_EQ(cells(), kept) << "a name not ending in stp touches nothing";
    open(home.file("missing.stp"));
    EXPECT_EQ(cells(), kept) << "an unreadable file touches nothing";
    open(QString());
    EXPECT_EQ(cells(), kept) << "cancel";

    const QByteArray other[] = {
        "----------QX Step File--------------\r\nDEV:8\r\n011:1\r\n",
        "----------QX Step File--------------\r\nDEV:07x\r\n011:1\r\n",
        "----------QX Step File--------------\r\n011:1\r\n012:1\r\n",
        "DEV:7\r\n011:1\r\n",
        "",
    };
    for (const QByteArray &f : other) {
        setRow(1, "D-CC", "1.00", "3.00", "10");
        EXPECT_TRUE(openBytes(f).isEmpty()) << f.toStdString();
        EXPECT_TRUE(framed());
    }
    // "DEV:07" is model 7, and LF line ends read as well.
    EXPECT_EQ(openBytes("x\nDEV:07\n011:2\n"), QStringList({"1,1=C-CV"}));
    // An ending in upper case, as files from Windows carry it, is the same.
    home.write("PROG.STP", Head + "011:2\r\n");
    open(home.file("PROG.STP"));
    EXPECT_EQ(cells(), QStringList({"1,1=C-CV"}));
}

TEST_F(StepFile, MalformedLinesAreSkippedAndWellFormedOnesLoad)
{
    const struct {
        const char *line;
        const char *loads;  // "" for nothing
    } cases[] = {
        {"011:0", "1,1=D-CC"},
        {"011:2", "1,1=C-CV"},
        {"011:3", "1,1=Wait"},
        {"011:4", "1,1=Cycle"},
        {"011:99", "1,1=Cycle"},
        {"012:0.50", "1,2=0.50"},
        {"014:a b", "1,4=a b"},
        {"104:3", "10,4=3"},
        {"092:7", "9,2=7"},
        {"012=0.5", "1,2=0.5"},  // the fourth character is not examined
        // mode numbers that are not whole numbers of 0 or more
        {"011:-1", ""},
        {"011:x", ""},
        {"011:1.5", ""},
        {"011: 1", ""},
        {"011:", ""},
        {"011:99999999999999999999", ""},
        // rows outside 1 to 10, columns outside 1 to 4
        {"111:1", ""},
        {"001:1", ""},
        {"002:x", ""},
        {"112:x", ""},
        {"015:1", ""},
        {"010:x", ""},
        {"019:x", ""},
        // row or column not written in digits
        {"-11:1", ""},
        {" 12:x", ""},
        {"x12:x", ""},
        {"0a2:x", ""},
        {"1", ""},
        // truncated lines
        {"01:", ""},
        {"011", ""},
        {"0111", ""},
        {"", ""},
    };
    for (const auto &c : cases) {
        const QStringList got = openBytes(Head + c.line + "\r\n");
        const QStringList want = *c.loads ? QStringList{QLatin1String(c.loads)} : QStringList{};
        EXPECT_EQ(got, want) << c.line;
        EXPECT_TRUE(framed()) << c.line;
    }
}

TEST_F(StepFile, AMixedFileLoadsItsValidLinesInOrder)
{
    const QStringList got = openBytes(Head +
                                      "011:0\r\n012:1.00\r\n013:4.20\r\n014:30\r\n"
                                      "111:0\r\n"         // row 11
                                      "021:-3\r\n022:9\r\n"  // negative mode, then a valid cell of row 2
                                      "015:7\r\n"         // column 5
                                      "03\r\n"            // truncated
                                      "031:abc\r\n"       // not a number
                                      "011:3\r\n"         // overwrites row 1's mode
                                      "041:4\r\n044:2\r\n");
    EXPECT_EQ(got, QStringList({"1,1=Wait", "1,2=1.00", "1,3=4.20", "1,4=30", "2,2=9", "4,1=Cycle", "4,4=2"}));
    EXPECT_TRUE(framed());
}

TEST_F(StepFile, AnOverlongLineIsSkippedWhole)
{
    // A line longer than any cell text is skipped, also where its tail
    // would look like a cell line.
    const QByteArray longLine = "012:" + QByteArray(70000, 'x') + "011:2";
    EXPECT_EQ(openBytes(Head + longLine + "\r\n013:4.20\r\n"), QStringList({"1,3=4.20"}));
}
