#include "link/Module4.h"
#include "common/FakeUi.h"

#include <deque>
#include <gtest/gtest.h>

using qx::test::FakeUi;

namespace {

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

TEST(Module4, PickColorGivesBgrOrMinusOne)
{
    FakeUi ui;
    ui.colorAnswers = {0, 0x00FF0000, -1};
    EXPECT_EQ(qx::Module4::PickColor(), 0);          // black is a colour
    EXPECT_EQ(qx::Module4::PickColor(), 0x00FF0000); // blue
    EXPECT_EQ(qx::Module4::PickColor(), -1);         // cancel
    EXPECT_EQ(qx::Module4::PickColor(), -1);         // unscripted: cancel
    EXPECT_EQ(ui.colorRequests, 4);
}
