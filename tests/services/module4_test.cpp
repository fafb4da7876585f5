#include "services/Module4.h"
#include "common/FakeUi.h"
#include "common/TempHome.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QTimer>

#include <deque>
#include <gtest/gtest.h>

using qx::test::FakeUi;

namespace {

// A millisecond clock that moves on 100 ms at every reading: every dialog
// takes long enough to be shown once.
struct SlowTicks {
    int64_t t = 0;
    qx::Module4::TickSource previous = qx::Module4::setTickSource([this] { return t += 100; });
    ~SlowTicks() { qx::Module4::setTickSource(previous); }
};

// A scripted millisecond clock: each reading takes the next value.
struct ScriptedTicks {
    std::deque<int64_t> values;
    qx::Module4::TickSource previous;
    explicit ScriptedTicks(std::initializer_list<int64_t> v) : values(v)
    {
        previous = qx::Module4::setTickSource([this] {
            int64_t t = values.front();
            if (values.size() > 1)
                values.pop_front();
            return t;
        });
    }
    ~ScriptedTicks() { qx::Module4::setTickSource(previous); }
};

QString show(const QString &name = "20261209-QM-07")
{
    return qx::Module4::ShowFileDialog(nullptr, true, "Save Result", "csv file(*.csv)|*.csv", name, "csv", "/tmp");
}

} // namespace

TEST(Module4, FileDialogPassesTheRequestAndReturnsTheChoice)
{
    FakeUi ui;
    ScriptedTicks t{1000, 5000};
    ui.fileAnswers = {"/tmp/a.csv"};
    EXPECT_EQ(show(), "/tmp/a.csv");
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    const auto &r = ui.fileRequests[0];
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.title, "Save Result");
    EXPECT_EQ(r.filter, "csv file(*.csv)|*.csv");
    EXPECT_EQ(r.defaultName, "20261209-QM-07");
    EXPECT_EQ(r.defaultExt, "csv");
    EXPECT_EQ(r.initialDir, "/tmp");
}

TEST(Module4, ADialogBackWithin20MsIsShownOnceMoreWithoutName)
{
    struct { int64_t shown, back; size_t dialogs; } cases[] = {
        {1000, 1000, 2}, {1000, 1019, 2}, {1000, 1020, 1}, {1000, 9000, 1},
    };
    for (const auto &c : cases) {
        FakeUi ui;
        ScriptedTicks t{c.shown, c.back, c.back + 5000};
        ui.fileAnswers = {"", "/tmp/second.csv"};
        const QString result = show();
        ASSERT_EQ(ui.fileRequests.size(), c.dialogs) << c.back - c.shown;
        if (c.dialogs == 2) {
            EXPECT_EQ(result, "/tmp/second.csv"); // only the second answer counts
            EXPECT_EQ(ui.fileRequests[1].defaultName, "");
            EXPECT_EQ(ui.fileRequests[1].title, "Save Result");
            EXPECT_TRUE(ui.fileRequests[1].save);
        } else {
            EXPECT_EQ(result, ""); // cancel
        }
    }
}

TEST(Module4, OverlongDefaultNameShowsNothing)
{
    FakeUi ui;
    ScriptedTicks t{0, 100};
    ui.fileAnswers = {"/tmp/x.csv", "/tmp/x.csv"};
    EXPECT_EQ(show(QString(261, 'n')), "");
    EXPECT_TRUE(ui.fileRequests.empty());
    EXPECT_EQ(show(QString(260, 'n')), "/tmp/x.csv");
}

TEST(Module4, FileDialogsOpenInDataThenWhereTheLastFileWasChosen)
{
    FakeUi ui;
    qx::test::TempHome home;
    qx::Module4::forgetLastFolder();
    SlowTicks t;
    const auto open = [] {
        return qx::Module4::ShowFileDialog(nullptr, false, "Open Step", "step file(*.stp)|*.stp", "", "", "");
    };
    // No Data folder yet: the home folder.
    open();
    ASSERT_TRUE(QDir(home.path()).mkpath("Data") && QDir(home.path()).mkpath("elsewhere/deeper"));
    open();
    ui.fileAnswers = {home.file("elsewhere/deeper/prog.stp")};
    open();
    open(); // cancelled: the folder stays
    qx::Module4::ShowFileDialog(nullptr, true, "Save Result", "csv file(*.csv)|*.csv", "x", "", "/given");
    ASSERT_EQ(ui.fileRequests.size(), 5u);
    const QStringList expected{home.path(), home.file("Data"), home.file("Data"), home.file("elsewhere/deeper"),
                               "/given"};
    for (size_t i = 0; i < ui.fileRequests.size(); ++i)
        EXPECT_EQ(ui.fileRequests[i].initialDir, expected[qsizetype(i)]) << i;
    qx::Module4::forgetLastFolder();
}

TEST(Module4, TheDialogShowsEachPatternOnceInItsStartFolder)
{
    // The program's own file dialog (no fake installed), read while it shows.
    qx::test::TempHome home;
    ASSERT_TRUE(QDir(home.path()).mkpath("Data"));
    qx::Module4::forgetLastFolder();
    SlowTicks t;
    const struct {
        const char *filter;
        QStringList shown;
    } cases[] = {
        {"csv file(*.csv)|*.csv", {"csv file(*.csv)"}},
        {"step file(*.stp)|*.stp", {"step file(*.stp)"}},
        {"csv file(*.csv)|*.csv|data file(*.dat)|*.dat", {"csv file(*.csv)", "data file(*.dat)"}},
        {"Pictures|*.bmp", {"Pictures (*.bmp)"}},
    };
    for (const auto &c : cases) {
        QStringList filters;
        QString folder;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *dlg = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            poll.stop();
            filters = dlg->nameFilters();
            folder = dlg->directory().absolutePath();
            dlg->reject();
        });
        poll.start(10);
        EXPECT_EQ(qx::Module4::ShowFileDialog(nullptr, false, "Open", QLatin1String(c.filter), "", "", ""), "");
        EXPECT_EQ(filters, c.shown) << c.filter;
        EXPECT_EQ(folder, QDir(home.file("Data")).absolutePath());
    }
}

TEST(Module4, PickColorReturnsTheDialogsChoiceAsBgrOrMinusOne)
{
    // The program's own colour dialog (no fake installed): the test picks a
    // colour in it, or cancels, the way a user would.
    struct Case {
        const char *what;
        QColor pick; // invalid: cancel
        int32_t result;
    };
    const Case cases[] = {
        {"red 0x12, green 0x34, blue 0x56", QColor(0x12, 0x34, 0x56), 0x00563412},
        {"pure blue", QColor(0, 0, 255), 0x00FF0000},
        {"black is a colour", QColor(0, 0, 0), 0},
        {"white", QColor(255, 255, 255), 0x00FFFFFF},
        {"cancel", QColor(), -1},
    };
    for (const Case &c : cases) {
        bool seen = false;
        QColor openedAt;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *dlg = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            seen = true;
            openedAt = dlg->currentColor();
            poll.stop();
            if (c.pick.isValid()) {
                dlg->setCurrentColor(c.pick);
                dlg->accept();
            } else {
                dlg->reject();
            }
        });
        poll.start(10);
        // It opens at the colour it is given: 0x00BBGGRR 0x00A0B0C0 is
        // red C0, green B0, blue A0.
        EXPECT_EQ(qx::Module4::PickColor(0x00A0B0C0), c.result) << c.what;
        EXPECT_TRUE(seen) << c.what;
        EXPECT_EQ(openedAt, QColor(0xC0, 0xB0, 0xA0)) << c.what;
    }
}
