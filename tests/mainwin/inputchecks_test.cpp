// The panel's setting boxes checked when they lose the focus: the message
// shown and the text left in the box, for several models and modes.
#include "MainFixture.h"
#include "ModelSetup.h"
#include "common/QtPrint.h"

#include "panel/DevCtrl.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>

using namespace qx;
using qx::test::MainFixture;

namespace {

// Devices identified from the model table (type, firmware version), with
// the limits the table gives them: MaxCur, MaxVol, MinCur, MinVol,
// LastDisMode, LastChgMode, CvFlag.
struct Model {
    int type;
    int devVer = 0;
};
constexpr Model QM01{1};      // 5 A, 15 V, 0.1 A, 0.8 V, 0, 6, no
constexpr Model QM02{2};      // 5 A, 20 V, 0.1 A, 0.8 V, 0, 6, no
constexpr Model QM03{3};      // 10 A, 15 V, 0.1 A, 0.8 V, 0, 6, no
constexpr Model QM04{4};      // 10 A, 30 V, 0.1 A, 0.8 V, 0, 6, no
constexpr Model Type5{5};     // 5 A, 30 V, 0.06 A, 0 V, 1, 7, yes
constexpr Model QM05{7};      // 10 A, 30 V, 0.1 A, 0 V, 1, 2, yes
constexpr Model QM20{26, 320}; // 4 A, 21 V, 0.01 A, 0 V, 0, 0, no
constexpr Model QM31{36};     // 1 A, 30 V, 0.001 A, 0 V, 1, 2, yes
constexpr Model QM16{21};     // 10 A, 100 V, 0.5 A, 2 V, 0, 0, no
constexpr Model QM13{17};     // two channels: 2.5 A, 15 V, 0.03 A, 0 V, 1, 1, no
constexpr Model Unknown{0};

const char *const Invalid = "Invalid value!";
const char *const Range = "Setting value out of range!";

struct Case {
    Model model;
    int mode;
    const char *box;  // txtSval, txtSlmt, txtStim
    const char *typed;
    const char *message;  // "" for none
    const char *after;
};

class InputChecks : public MainFixture {
protected:
    void SetUp() override { main = &load(); }

    void identify(const Model &m) { test::identifyAs(*main, 0, m.type, m.devVer); }
    QLineEdit *box(const char *name) { return main->DevCtrl(0).findChild<QLineEdit *>(QLatin1String(name)); }
    // Types the text into the box and moves the focus away, as a user does.
    void typeAndLeave(const char *name, const QString &text)
    {
        QLineEdit *b = box(name);
        ASSERT_NE(b, nullptr) << name;
        b->setText(text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(b, &out);
    }
    void run(const Case &c)
    {
        identify(c.model);
        chan(0, 0).Mode = c.mode;
        ui.msgs.clear();
        typeAndLeave(c.box, QString::fromUtf8(c.typed));
        const std::string what = std::to_string(c.model.type) + " mode " + std::to_string(c.mode) + " " + c.box +
                                 " \"" + c.typed + "\"";
        EXPECT_TRUE(ui.shownPrompt(QLatin1String(c.message))) << what;
        EXPECT_EQ(box(c.box)->text(), QString::fromUtf8(c.after)) << what;
    }

    frmMain *main = nullptr;
};

} // namespace

TEST_F(InputChecks, SetValueAgainstTheModelsCurrentOrPower)
{
    const Case cases[] = {
        // current: MinCur to MaxCur, the violated bound written "0.00"
        {QM03, 0, "txtSval", "10", "", "10"},
        {QM03, 0, "txtSval", "10.01", Range, "10.00"},
        {QM03, 0, "txtSval", "0.05", Range, "0.10"},
        {QM03, 0, "txtSval", "0.1", "", "0.1"},
        {QM03, 0, "txtSval", "-3", Range, "0.10"},
        {QM31, 0, "txtSval", "1.2", Range, "1.00"},
        {QM31, 0, "txtSval", "0.0005", Range, "0.00"},
        {QM16, 0, "txtSval", "0.4", Range, "0.50"},
        // beyond single precision: out of range on its side
        {QM03, 0, "txtSval", "1e39", Range, "10.00"},
        {QM03, 0, "txtSval", "-1e39", Range, "0.10"},
        // power (mode 1 outside types 1-4, 8, 25, 26, 40): 0.1 to 1000
        {Type5, 1, "txtSval", "1000", "", "1000"},
        {Type5, 1, "txtSval", "1500", Range, "100"},
        {Type5, 1, "txtSval", "0.05", Range, "1"},
        {QM05, 1, "txtSval", "250", "", "250"},
        // mode 1 of types 1 and 26 is a current mode
        {QM01, 1, "txtSval", "6", Range, "5.00"},
        {QM20, 1, "txtSval", "4.5", Range, "4.00"},
        // not a number: the message, and the text stays
        {QM03, 0, "txtSval", "abc", Invalid, "abc"},
        {QM03, 0, "txtSval", "", Invalid, ""},
        {Type5, 1, "txtSval", "1,5", Invalid, "1,5"},
    };
    for (const Case &c : cases)
        run(c);
}

TEST_F(InputChecks, LimitAsVoltageOrWholeCellCount)
{
    const Case cases[] = {
        // cell counts of types 1 to 4, modes 1 to 5: 1 to the model's maximum
        {QM01, 3, "txtSlmt", "3", "", "3"},
        {QM01, 3, "txtSlmt", "4", Range, "3"},
        {QM01, 3, "txtSlmt", "0", Range, "1"},
        {QM01, 3, "txtSlmt", "-2", Range, "1"},
        {QM01, 3, "txtSlmt", "2.5", Range, "1"},
        {QM01, 1, "txtSlmt", "8", "", "8"},
        {QM01, 5, "txtSlmt", "7", Range, "6"},
        {QM02, 1, "txtSlmt", "12", "", "12"},
        {QM02, 1, "txtSlmt", "13", Range, "12"},
        {QM03, 4, "txtSlmt", "5", Range, "4"},
        {QM04, 5, "txtSlmt", "9", Range, "8"},
        {QM04, 3, "txtSlmt", "4", "", "4"},
        // voltages: MinVol to MaxVol
        {QM03, 0, "txtSlmt", "15", "", "15"},
        {QM03, 0, "txtSlmt", "15.5", Range, "15.00"},
        {QM03, 0, "txtSlmt", "0.5", Range, "0.80"},
        {QM01, 6, "txtSlmt", "4.2", "", "4.2"},
        {QM01, 6, "txtSlmt", "16", Range, "15.00"},
        {Type5, 3, "txtSlmt", "31", Range, "30.00"},
        {Type5, 3, "txtSlmt", "-1", Range, "0.00"},
        {QM16, 0, "txtSlmt", "100.01", Range, "100.00"},
        {QM01, 3, "txtSlmt", "three", Invalid, "three"},
    };
    for (const Case &c : cases)
        run(c);
}

TEST_F(InputChecks, ThirdValueAsMinutesOrCutoffCurrent)
{
    const Case cases[] = {
        // minutes: 0 to 999
        {QM03, 0, "txtStim", "999", "", "999"},
        {QM03, 0, "txtStim", "1000", Range, "999"},
        {QM03, 0, "txtStim", "0", "", "0"},
        {QM03, 0, "txtStim", "-1", Range, "0"},
        {QM01, 6, "txtStim", "30", "", "30"},
        // the constant-voltage charge mode (LastChgMode with CvFlag): a
        // cut-off current, MinCur for either side
        {QM05, 2, "txtStim", "0.5", "", "0.5"},
        {QM05, 2, "txtStim", "10.5", Range, "0.10"},
        {QM05, 2, "txtStim", "0.05", Range, "0.10"},
        {Type5, 7, "txtStim", "5.01", Range, "0.06"},
        {QM31, 2, "txtStim", "0.0005", Range, "0.00"},
        // type 5's mode 8 sends its third value as a cut-off current
        {Type5, 8, "txtStim", "0.5", "", "0.5"},
        {Type5, 8, "txtStim", "999", Range, "0.06"},
        {Type5, 8, "txtStim", "0.01", Range, "0.06"},
        // other modes of the same model keep minutes
        {Type5, 6, "txtStim", "999", "", "999"},
        {QM05, 1, "txtStim", "", Invalid, ""},
    };
    for (const Case &c : cases)
        run(c);
}

TEST_F(InputChecks, NothingIsCheckedBeforeADeviceIsIdentified)
{
    // Frames of type code 0 identify nothing.
    const Case cases[] = {
        {Unknown, 0, "txtSval", "abc", "", "abc"},
        {Unknown, 0, "txtSval", "99", "", "99"},
        {Unknown, 0, "txtStim", "-5", "", "-5"},
    };
    for (const Case &c : cases)
        run(c);
}

TEST_F(InputChecks, TwoChannelBoxesUseTheirChannelsMode)
{
    // A two-channel model: channel 0 in the current mode, channel 1 in the
    // power mode; each box is checked by its own channel's mode.
    identify(QM13);
    chan(0, 0).Mode = 0;
    chan(0, 1).Mode = 1;
    const struct {
        const char *box, *typed, *after;
    } steps[] = {
        {"txtSval2S_0", "3", "2.50"},
        {"txtSval2S_1", "1500", "100"},
        {"txtSval2S_1", "3", "3"},
        {"txtSlmt2S_1", "16", "15.00"},
    };
    for (const auto &s : steps) {
        typeAndLeave(s.box, QLatin1String(s.typed));
        EXPECT_EQ(box(s.box)->text(), QLatin1String(s.after)) << s.box << " " << s.typed;
    }
    EXPECT_EQ(ui.msgTexts(), QStringList({Range, Range, Range}));
    // The other channel's box keeps its text.
    EXPECT_EQ(box("txtSval2S_0")->text(), "2.50");
}
