// The step-program editor: what it shows on opening, the captions and
// starting texts by mode, the checks of its fields and of Add, and the
// program it hands back to the panel.
#include "common/QtPrint.h"
#include "common/UserInput.h"
#include "mainwin/MainFixture.h"
#include "mainwin/ModelSetup.h"

#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "tools/frmSet.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace qx;
using qx::test::MainFixture;
using qx::test::choose;
using qx::test::type;

namespace {

// Devices identified from the model table; their modes and their limits
// (MinCur, MaxCur, MinVol, MaxVol, scales, LastDisMode, LastChgMode, CvFlag)
// are the table's.
struct Model {
    int type;
};
const Model QM05{7};   // D-CC D-CP C-CV; 0.1-10 A, 0-30 V; 100 100 1; 1 2 yes
const Model QM31{36};  // D-CC D-CP C-CV; 0.001-1 A, 0-30 V; 1000 100 10; 1 2 yes
const Model QM01{1};   // D-CC C-NiMh C-NiCD C-Liion C-LiFe C-VRLA C-CV; 0.1-5 A, 0.8-15 V; 100 100 1; 0 6 no
const Model Type5{5};  // D-CC D-CP C-NiMh C-NiCD C-LiPo C-LiFe C-PB C-CV DC5V; 0.06-5 A, 0-30 V;
                       // 1000 100 10; 1 7 yes
const Model QM16{21};  // D-CC; 0.5-10 A, 2-100 V; 100 100 1; 0 0 no

const QString Invalid = "Invalid value!";
const QString Range = "Setting value out of range!";

class Editor : public MainFixture {
protected:
    void SetUp() override { main = &load(); }
    void TearDown() override { frmSetForm().unload(); }

    DevCtrl &panel() { return main->DevCtrl(0); }
    void identify(const Model &m) { test::identifyAs(*main, 0, m.type); }
    void setRow(int r, const QString &mode, const QString &set, const QString &lmt, const QString &third)
    {
        const QString cells[] = {mode, set, lmt, third};
        for (int c = 1; c <= 4; ++c)
            panel().set_tStepSet(r, c, cells[c - 1]);
    }
    frmSet &open(const Model &m)
    {
        identify(m);
        return frmSetForm().get();
    }
    static QStringList items(const QComboBox *c)
    {
        QStringList l;
        for (int i = 0; i < c->count(); ++i)
            l << c->itemText(i);
        return l;
    }
    // The three fields as "caption|unit|text|enabled".
    static QStringList fields(const frmSet &f)
    {
        const auto one = [](const QLabel *cap, const QLabel *unit, const QLineEdit *e) {
            return QStringLiteral("%1|%2|%3|%4").arg(cap->text(), unit->text(), e->text()).arg(e->isEnabled() ? 1 : 0);
        };
        return {one(f.lblSet, f.lblSett, f.txtSet), one(f.lblLmt, f.lblLimit1t, f.txtLmt),
                one(f.lblLmt2, f.lblLmt2t, f.txtLmt2)};
    }
    static QStringList row(const frmSet &f, int r)
    {
        QStringList l;
        for (int c = 1; c <= 4; ++c)
            l << f.gridSet->TextMatrix(r, c);
        return l;
    }
    QStringList panelRow(int r)
    {
        QStringList l;
        for (int c = 1; c <= 4; ++c)
            l << panel().tStepSet(r, c);
        return l;
    }

    frmMain *main = nullptr;
};

} // namespace

TEST_F(Editor, AnEmptyProgramOpensOnStepOneWithTheFirstModesDefaults)
{
    frmSet &f = open(QM05);
    EXPECT_EQ(f.windowTitle(), "Parameter Setting");
    EXPECT_EQ(items(f.cmbFlow), QStringList{"Step1"});
    EXPECT_EQ(items(f.cmbMode), QStringList({"D-CC", "D-CP", "C-CV", "Wait", "Cycle"}));
    EXPECT_EQ(f.cmbMode->currentText(), "D-CC");
    EXPECT_EQ(fields(f), QStringList({"Current|A|1.00|1", "Volt:|V|1.00|1", "Cutoff:|Min|0|1"}));
    const QStringList heads{"Step", "Mode", "Current/Power", "Volt/Cells", "Cutoff"};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(f.gridSet->TextMatrix(0, c), heads[c]);
    for (int r = 1; r <= 10; ++r) {
        EXPECT_EQ(f.gridSet->TextMatrix(r, 0), QString::number(r));
        EXPECT_EQ(row(f, r), QStringList({"", "", "", ""}));
    }
    EXPECT_EQ(f.gridSet->ColWidth(0), 700);
    frmSetForm().unload();

    // Only the modes up to the last charge mode are offered.
    EXPECT_EQ(items(open(Type5).cmbMode), QStringList({"D-CC", "D-CP", "C-NiMh", "C-NiCD", "C-LiPo", "C-LiFe",
                                                       "C-PB", "C-CV", "Wait", "Cycle"}));
    frmSetForm().unload();
    EXPECT_EQ(items(open(QM16).cmbMode), QStringList({"D-CC", "Wait", "Cycle"}));
}

TEST_F(Editor, EachKindOfModeHasItsCaptionsAndStartingTexts)
{
    const struct {
        const Model *model;
        const char *mode;
        QStringList want;
    } cases[] = {
        {&QM05, "D-CP", {"Power|W|10|1", "Volt:|V|1.00|1", "Cutoff:|Min|0|1"}},
        {&QM05, "C-CV", {"Current|A|1.00|1", "Volt:|V|1.00|1", "Cutoff:|A|0.10|1"}},
        {&QM05, "Wait", {"Current|A|0.00|0", "Volt:|V|0.00|0", "Cutoff:|Min|1|1"}},
        {&QM05, "Cycle", {"Current|A|0.00|0", "Volt:|V|0.00|0", "Cycle:||1|1"}},
        {&QM31, "D-CP", {"Power|W|10.0|1", "Volt:|V|1.00|1", "Cutoff:|Min|0|1"}},
        {&QM31, "C-CV", {"Current|A|1.00|1", "Volt:|V|1.00|1", "Cutoff:|A|0.001|1"}},
        {&QM01, "C-Liion", {"Current|A|1.00|1", "Cells:||1|1", "Cutoff:|Min|0|1"}},
        {&QM01, "C-CV", {"Current|A|1.00|1", "Volt:|V|1.00|1", "Cutoff:|Min|0|1"}},
        {&Type5, "C-NiMh", {"Current|A|1.00|1", "Cells:||1|1", "Cutoff:|Min|0|1"}},
        {&Type5, "C-CV", {"Current|A|1.00|1", "Volt:|V|1.00|1", "Cutoff:|A|0.060|1"}},
        {&QM16, "D-CC", {"Current|A|1.00|1", "Volt:|V|1.00|1", "Cutoff:|Min|0|1"}},
    };
    for (const auto &c : cases) {
        frmSet &f = open(*c.model);
        // Away and back, so that the choice is a change.
        choose(f.cmbMode, "Cycle");
        choose(f.cmbMode, QLatin1String(c.mode));
        EXPECT_EQ(fields(f), c.want) << c.model->type << " " << c.mode;
        frmSetForm().unload();
    }
}

TEST_F(Editor, OpensOnTheStoredValuesOfStepOne)
{
    setRow(1, "D-CP", "25", "10.5", "60");
    setRow(2, "C-CV", "1.00", "4.20", "0.50");
    setRow(3, "Wait", "0.00", "0.00", "5");
    frmSet &f = open(QM05);
    EXPECT_EQ(items(f.cmbFlow), QStringList({"Step1", "Step2", "Step3", "Step4"}));
    EXPECT_EQ(f.cmbFlow->currentText(), "Step1");
    EXPECT_EQ(f.cmbMode->currentText(), "D-CP");
    EXPECT_EQ(fields(f), QStringList({"Power|W|25|1", "Volt:|V|10.5|1", "Cutoff:|Min|60|1"}));
    EXPECT_EQ(row(f, 2), QStringList({"C-CV", "1.00", "4.20", "0.50"}));

    // Add right away keeps step 1 as stored and opens no new step.
    f.cmdSet->click();
    EXPECT_EQ(row(f, 1), QStringList({"D-CP", "25", "10.5", "60"}));
    EXPECT_EQ(f.cmbFlow->count(), 4);
    EXPECT_TRUE(ui.msgs.empty());

    choose(f.cmbFlow, "Step2");
    EXPECT_EQ(f.cmbMode->currentText(), "C-CV");
    EXPECT_EQ(fields(f), QStringList({"Current|A|1.00|1", "Volt:|V|4.20|1", "Cutoff:|A|0.50|1"}));
    choose(f.cmbFlow, "Step3");
    EXPECT_EQ(fields(f), QStringList({"Current|A|0.00|0", "Volt:|V|0.00|0", "Cutoff:|Min|5|1"}));
    // An empty step keeps what the fields show.
    choose(f.cmbFlow, "Step4");
    EXPECT_EQ(fields(f), QStringList({"Current|A|0.00|0", "Volt:|V|0.00|0", "Cutoff:|Min|5|1"}));
    EXPECT_EQ(f.cmbMode->currentText(), "Wait");
}

TEST_F(Editor, FieldsCheckedWhenLeft)
{
    const struct {
        const Model *model;
        const char *mode;
        int field;  // 0 txtSet, 1 txtLmt, 2 txtLmt2
        const char *typed;
        QString message;
        const char *after;
    } cases[] = {
        // power: 1 to 60, kept as typed; otherwise 10 in the power picture
        {&QM05, "D-CP", 0, "60", "", "60"},
        {&QM05, "D-CP", 0, "1", "", "1"},
        {&QM05, "D-CP", 0, "60.01", Range, "10"},
        {&QM05, "D-CP", 0, "0.5", Range, "10"},
        {&QM05, "D-CP", 0, "abc", Invalid, "10"},
        {&QM31, "D-CP", 0, "61", Range, "10.0"},
        {&QM31, "D-CP", 0, "", Invalid, "10.0"},
        // currents: MinCur to MaxCur in the current picture
        {&QM05, "D-CC", 0, "2.5", "", "2.50"},
        {&QM05, "D-CC", 0, "10.5", Range, "0.10"},
        {&QM05, "D-CC", 0, "x", Invalid, "0.10"},
        {&QM31, "C-CV", 0, "0.5", "", "0.500"},
        {&QM31, "D-CC", 0, "1.5", Range, "0.001"},
        // limits: voltages, or cell counts 1 to 12 on types below 5
        {&QM05, "D-CC", 1, "4.2", "", "4.20"},
        {&QM05, "D-CC", 1, "31", Range, "0.00"},
        {&QM01, "C-Liion", 1, "2.4", "", "2"},
        {&QM01, "C-Liion", 1, "12", "", "12"},
        {&QM01, "C-Liion", 1, "13", Range, "1"},
        {&QM01, "C-Liion", 1, "0", Range, "1"},
        {&QM01, "C-Liion", 1, "abc", Invalid, "0"},
        {&QM01, "C-CV", 1, "16", Range, "0.80"},
        {&Type5, "C-NiMh", 1, "4", "", "4.00"},
        {&Type5, "C-NiMh", 1, "31", Range, "0.00"},
        // third: minutes or counts 0 to 9999, or a cut-off current
        {&QM05, "D-CC", 2, "9999", "", "9999"},
        {&QM05, "D-CC", 2, "12.6", "", "13"},
        {&QM05, "D-CC", 2, "10000", Range, "0"},
        {&QM05, "D-CC", 2, "-1", Range, "0"},
        {&QM05, "Cycle", 2, "abc", Invalid, "0"},
        {&QM05, "Cycle", 2, "3", "", "3"},
        {&QM05, "C-CV", 2, "0.5", "", "0.50"},
        {&QM05, "C-CV", 2, "11", Range, "0.10"},
        {&QM31, "C-CV", 2, "0", Range, "0.001"},
    };
    for (const auto &c : cases) {
        frmSet &f = open(*c.model);
        choose(f.cmbMode, "Cycle");
        choose(f.cmbMode, QLatin1String(c.mode));
        ui.msgs.clear();
        QLineEdit *box[] = {f.txtSet, f.txtLmt, f.txtLmt2};
        type(box[c.field], QLatin1String(c.typed));
        const std::string what = std::to_string(c.model->type) + " " + c.mode + " field " +
                                 std::to_string(c.field) + " \"" + c.typed + "\"";
        EXPECT_TRUE(ui.shownPrompt(c.message)) << what;
        EXPECT_EQ(box[c.field]->text(), QLatin1String(c.after)) << what;
        frmSetForm().unload();
    }
}

TEST_F(Editor, AddRefusesWhatItCannotRunAndWritesNothing)
{
    const struct {
        const Model *model;
        const char *mode;
        const char *set, *lmt, *third;
        QString message;  // "" when the row is written
    } cases[] = {
        {&QM01, "C-NiMh", "1.00", "12", "30", ""},
        {&QM01, "C-NiMh", "1.00", "13", "30", Range},  // a count, though within the voltage range
        {&QM01, "C-NiMh", "1.00", "0", "30", Range},
        {&QM01, "C-CV", "1.00", "15", "30", ""},
        {&QM01, "C-CV", "1.00", "15.5", "30", Range},
        {&QM05, "D-CP", "60", "4.2", "0", ""},
        {&QM05, "D-CP", "61", "4.2", "0", Range},
        {&QM05, "D-CC", "abc", "999", "0", Invalid},  // the first failing field decides
        {&QM05, "D-CC", "1.00", "", "0", Invalid},
        {&QM05, "D-CC", "1.00", "4.2", "1e999", Invalid},
        {&QM05, "C-CV", "1.00", "4.2", "0.05", Range},
        {&QM05, "C-CV", "1.00", "4.2", "10", ""},
        {&QM05, "D-CC", "1.00", "4.2", "10000", Range},
        // "Wait" and "Cycle" look at the third field only
        {&QM05, "Wait", "junk", "", "5", ""},
        {&QM05, "Cycle", "", "", "x", Invalid},
        {&QM05, "Cycle", "", "", "10000", Range},
    };
    for (const auto &c : cases) {
        frmSet &f = open(*c.model);
        choose(f.cmbMode, QLatin1String(c.mode));
        ui.msgs.clear();
        // Typed without leaving the fields.
        f.txtSet->setText(QLatin1String(c.set));
        f.txtLmt->setText(QLatin1String(c.lmt));
        f.txtLmt2->setText(QLatin1String(c.third));
        f.cmdSet->click();
        const std::string what = std::to_string(c.model->type) + " " + c.mode + " " + c.set + "/" + c.lmt + "/" + c.third;
        if (c.message.isEmpty()) {
            EXPECT_TRUE(ui.msgs.empty()) << what;
            EXPECT_EQ(row(f, 1), QStringList({QLatin1String(c.mode), QLatin1String(c.set), QLatin1String(c.lmt),
                                              QLatin1String(c.third)}))
                << what;
            EXPECT_EQ(items(f.cmbFlow), QStringList({"Step1", "Step2"})) << what;
        } else {
            EXPECT_EQ(ui.msgTexts(), QStringList{c.message}) << what;
            EXPECT_EQ(row(f, 1), QStringList({"", "", "", ""})) << what;
            EXPECT_EQ(items(f.cmbFlow), QStringList{"Step1"}) << what;
        }
        frmSetForm().unload();
    }
}

TEST_F(Editor, AddOnTheLastStepOpensTheNextUpToTen)
{
    frmSet &f = open(QM05);
    choose(f.cmbMode, "D-CP");
    type(f.txtSet, "20");
    f.cmdSet->click();
    // The next step starts from the texts just added, in the same mode.
    EXPECT_EQ(f.cmbFlow->currentText(), "Step2");
    EXPECT_EQ(fields(f), QStringList({"Power|W|20|1", "Volt:|V|1.00|1", "Cutoff:|Min|0|1"}));
    choose(f.cmbMode, "Wait");
    type(f.txtLmt2, "2");
    f.cmdSet->click();
    EXPECT_EQ(row(f, 1), QStringList({"D-CP", "20", "1.00", "0"}));
    EXPECT_EQ(row(f, 2), QStringList({"Wait", "0.00", "0.00", "2"}));
    EXPECT_EQ(items(f.cmbFlow), QStringList({"Step1", "Step2", "Step3"}));

    // Add on an earlier step only overwrites it.
    choose(f.cmbFlow, "Step1");
    choose(f.cmbMode, "D-CC");
    f.cmdSet->click();
    EXPECT_EQ(row(f, 1), QStringList({"D-CC", "1.00", "1.00", "0"}));
    EXPECT_EQ(f.cmbFlow->count(), 3);
    EXPECT_EQ(f.cmbFlow->currentText(), "Step1");
    frmSetForm().unload();

    // A full program lists ten steps; Add on step 10 rewrites it and adds none.
    for (int r = 1; r <= 10; ++r)
        setRow(r, "D-CC", QString::number(r) + ".00", "3.00", "10");
    frmSet &g = open(QM05);
    EXPECT_EQ(g.cmbFlow->count(), 10);
    choose(g.cmbFlow, "Step10");
    type(g.txtSet, "9.5");
    g.cmdSet->click();
    EXPECT_EQ(row(g, 10), QStringList({"D-CC", "9.50", "3.00", "10"}));
    EXPECT_EQ(g.cmbFlow->count(), 10);
    EXPECT_EQ(g.cmbFlow->currentText(), "Step10");
}

TEST_F(Editor, OkHandsTheWholeProgramToThePanelCancelNothing)
{
    setRow(1, "D-CC", "1.00", "3.00", "10");
    frmSet &f = open(QM05);
    choose(f.cmbFlow, "Step2");
    choose(f.cmbMode, "Cycle");
    type(f.txtLmt2, "3");
    f.cmdSet->click();
    choose(f.cmbMode, "C-CV");
    f.cmdSet->click();  // a row after the "Cycle" row
    EXPECT_EQ(panelRow(2), QStringList({"", "", "", ""})) << "nothing reaches the panel before OK";
    EXPECT_FALSE(DlgDone);
    f.cmdOK->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmSetForm().isLoaded());
    EXPECT_TRUE(DlgDone);
    EXPECT_EQ(panelRow(1), QStringList({"D-CC", "1.00", "3.00", "10"}));
    EXPECT_EQ(panelRow(2), QStringList({"Cycle", "0.00", "0.00", "3"}));
    EXPECT_EQ(panelRow(3), QStringList({"C-CV", "1.00", "1.00", "0.10"}));
    EXPECT_EQ(panelRow(4), QStringList({"", "", "", ""}));
    EXPECT_EQ(panel().tStepSet(0, 2), "Set1");
    EXPECT_EQ(ui.msgTexts(), QStringList{"Steps after Cycle will not run!"});

    // Cancel after any number of Adds, and Clear, leave the panel's table.
    DlgDone = false;
    frmSet &g = open(QM05);
    g.cmdClear->click();
    EXPECT_EQ(items(g.cmbFlow), QStringList{"Step1"});
    EXPECT_EQ(row(g, 1), QStringList({"", "", "", ""}));
    EXPECT_EQ(row(g, 3), QStringList({"", "", "", ""}));
    EXPECT_EQ(g.gridSet->TextMatrix(3, 0), "3");
    choose(g.cmbMode, "D-CP");
    g.cmdSet->click();
    g.cmdSet->click();
    g.cmdCancel->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmSetForm().isLoaded());
    EXPECT_TRUE(DlgDone);
    EXPECT_EQ(panelRow(1), QStringList({"D-CC", "1.00", "3.00", "10"}));
    EXPECT_EQ(panelRow(3), QStringList({"C-CV", "1.00", "1.00", "0.10"}));

    // Closing the window is a Cancel too.
    DlgDone = false;
    open(QM05).close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(DlgDone);
    EXPECT_EQ(panelRow(1), QStringList({"D-CC", "1.00", "3.00", "10"}));
}

TEST_F(Editor, OkSaysWhenStepsFollowACycleRowAndKeepsThem)
{
    const struct {
        QStringList modes;
        bool told;
    } cases[] = {
        {{"D-CC", "Cycle", "C-CV"}, true},
        {{"Cycle", "D-CC"}, true},
        {{"D-CC", "Wait", "Cycle"}, false},
        {{"D-CC", "D-CP"}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.modes.join(' ').toStdString());
        panel().StepSetClr();
        for (int r = 1; r <= c.modes.size(); ++r)
            setRow(r, c.modes[r - 1], QStringLiteral("1.00"), QStringLiteral("3.00"), QStringLiteral("2"));
        ui.msgs.clear();
        open(QM05).cmdOK->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(frmSetForm().isLoaded());
        ASSERT_EQ(ui.msgTexts(), c.told ? QStringList{"Steps after Cycle will not run!"} : QStringList{});
        if (c.told) {
            EXPECT_EQ(ui.msgs[0].style, MbInformation);
        }
        for (int r = 1; r <= c.modes.size(); ++r)
            EXPECT_EQ(panelRow(r), QStringList({c.modes[r - 1], "1.00", "3.00", "2"}));
    }
}

TEST_F(Editor, PanelSetButtonOpensTheEditorAndWaitsForIt)
{
    identify(QM05);
    setRow(1, "D-CC", "2.00", "3.00", "10");
    auto *setButton = panel().findChild<QPushButton *>(QStringLiteral("cmdSetStep"));
    ASSERT_NE(setButton, nullptr);
    // Another timer keeps running while the editor is open.
    int ticks = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
    other.start(10);

    bool seenOpen = false, secondClickReturned = false;
    QTimer::singleShot(100, [&] {
        ASSERT_TRUE(frmSetForm().isLoaded());
        frmSet &f = frmSetForm().get();
        seenOpen = f.isVisible() && !DlgDone;
        // A second click while it is open brings it forward and returns.
        setButton->click();
        secondClickReturned = true;
        choose(f.cmbFlow, "Step2");
        choose(f.cmbMode, "Wait");
        type(f.txtLmt2, "4");
        f.cmdSet->click();
        QTimer::singleShot(100, [&f] { f.cmdOK->click(); });
    });
    setButton->click();  // returns when the editor has closed

    EXPECT_TRUE(seenOpen);
    EXPECT_TRUE(secondClickReturned);
    EXPECT_GE(ticks, 5);
    EXPECT_TRUE(DlgDone);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmSetForm().isLoaded());
    EXPECT_EQ(panelRow(1), QStringList({"D-CC", "2.00", "3.00", "10"}));
    EXPECT_EQ(panelRow(2), QStringList({"Wait", "0.00", "0.00", "4"}));
}
