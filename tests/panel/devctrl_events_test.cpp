// The device panel's 23 events: which control raises which event, with the
// device index and channel, in which order.
#include "panel/DevCtrl.h"
#include "platform/Grid.h"

#include "common/Mouse.h"
#include "common/ShortSecond.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Records every event as "Name index [chn]", the way the main window's
// handlers receive them (the connection adds the panel's index).
struct Recorder {
    QStringList log;
    explicit Recorder(DevCtrl &p)
    {
        auto plain = [&](void (DevCtrl::*signal)(), const char *name) {
            QObject::connect(&p, signal, [this, &p, name] {
                log << QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(p.Index());
            });
        };
        auto withChn = [&](void (DevCtrl::*signal)(int), const char *name) {
            QObject::connect(&p, signal, [this, &p, name](int chn) {
                log << QStringLiteral("%1 %2 %3").arg(QLatin1String(name)).arg(p.Index()).arg(chn);
            });
        };
        plain(&DevCtrl::ConnClick, "ConnClick");
        plain(&DevCtrl::ModeClick, "ModeClick");
        withChn(&DevCtrl::ContClick, "ContClick");
        withChn(&DevCtrl::MonitorClick, "MonitorClick");
        withChn(&DevCtrl::SetClick, "SetClick");
        withChn(&DevCtrl::RunClick, "RunClick");
        withChn(&DevCtrl::StopClick, "StopClick");
        withChn(&DevCtrl::SvalLostFocus, "SvalLostFocus");
        withChn(&DevCtrl::SlmtLostFocus, "SlmtLostFocus");
        withChn(&DevCtrl::StimLostFocus, "StimLostFocus");
        plain(&DevCtrl::AutoVolLostFocus, "AutoVolLostFocus");
        withChn(&DevCtrl::TmrCurveOn, "TmrCurveOn");
        withChn(&DevCtrl::TmrShowOn, "TmrShowOn");
        plain(&DevCtrl::AutoTestClick, "AutoTestClick");
        plain(&DevCtrl::StepTestClick, "StepTestClick");
        plain(&DevCtrl::StepSetClick, "StepSetClick");
        plain(&DevCtrl::StepSaveClick, "StepSaveClick");
        plain(&DevCtrl::StepClrClick, "StepClrClick");
        plain(&DevCtrl::StepOpenClick, "StepOpenClick");
        plain(&DevCtrl::AutoSaveClick, "AutoSaveClick");
        plain(&DevCtrl::StepTmrOn, "StepTmrOn");
        plain(&DevCtrl::AutoTmrOn, "AutoTmrOn");
        plain(&DevCtrl::AutoListClick, "AutoListClick");
    }
    QStringList take()
    {
        QStringList out = log;
        log.clear();
        return out;
    }
};

// Panel of device 3 with every command button enabled.
struct Panel {
    DevCtrl p;
    Recorder rec{p};
    Panel()
    {
        p.set_Index(3);
        for (bool two : {true, false}) {
            p.set_Dev2S(two);
            p.set_RunEnable(true);
            p.set_StopEnable(true);
            p.set_ContEnable(true);
            p.set_SetEnable(true);
            p.set_MonitorEnable(true);
        }
    }
    template <class W>
    W *get(const char *name)
    {
        W *w = p.findChild<W *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char *name) { get<QPushButton>(name)->click(); }
    void loseFocus(const char *name, Qt::FocusReason reason = Qt::MouseFocusReason)
    {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(get<QLineEdit>(name), &out);
    }
};

// Runs the event loop until done() holds (checked every 20 ms), at most
// for a generous 20 s.
void runEventsUntil(const std::function<bool()> &done)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done())
            loop.quit();
    });
    check.start(20);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

TEST(DevCtrlEvents, EachButtonRaisesItsEventWithIndexAndChannel)
{
    Panel t;
    const struct {
        const char *button;
        const char *event;
    } cases[] = {
        {"cmdConn", "ConnClick 3"},       {"cmdCont", "ContClick 3 0"},
        {"cmdMonitor", "MonitorClick 3 0"}, {"cmdSet", "SetClick 3 0"},
        {"cmdRun", "RunClick 3 0"},       {"cmdStop", "StopClick 3 0"},
        {"cmdStartAuto", "AutoTestClick 3"}, {"cmdSave", "AutoSaveClick 3"},
        {"cmdStartStep", "StepTestClick 3"}, {"cmdSetStep", "StepSetClick 3"},
        {"cmdSaveStep", "StepSaveClick 3"}, {"cmdClearStep", "StepClrClick 3"},
        {"cmdOpenStep", "StepOpenClick 3"},
    };
    for (const auto &c : cases) {
        t.click(c.button);
        EXPECT_EQ(t.rec.take(), QStringList{QLatin1String(c.event)}) << c.button;
    }
    // The one-channel buttons pass channel 0 whatever the channel choice.
    t.get<QRadioButton>("optChn1")->setChecked(true);
    t.click("cmdRun");
    EXPECT_EQ(t.rec.take(), QStringList{"RunClick 3 0"});
    // A disabled button raises nothing.
    t.p.set_RunEnable(false);
    t.click("cmdRun");
    EXPECT_TRUE(t.rec.take().isEmpty());
}

TEST(DevCtrlEvents, TwoChannelButtonsFollowTheChannelChoice)
{
    Panel t;
    t.p.set_Dev2S(true);
    const char *buttons[] = {"cmdRun2S", "cmdStop2S", "cmdCont2S", "cmdSet2S", "cmdMonitor2S"};
    const char *events[] = {"RunClick", "StopClick", "ContClick", "SetClick", "MonitorClick"};
    for (int b = 0; b < 5; ++b) {
        t.get<QRadioButton>("optChn0")->setChecked(true);
        t.click(buttons[b]);
        t.get<QRadioButton>("optChn1")->setChecked(true);
        t.click(buttons[b]);
        const QString e = QLatin1String(events[b]);
        EXPECT_EQ(t.rec.take(), (QStringList{e + " 3 0", e + " 3 1"})) << buttons[b];
    }
}

TEST(DevCtrlEvents, AllChannelRaisesChannelZeroThenLetsPendingEventsRunThenChannelOne)
{
    Panel t;
    t.p.set_Dev2S(true);
    t.get<QRadioButton>("optChn2")->setChecked(true);
    // The first handler posts work; it runs before the second event.
    bool posted = false;
    QObject::connect(&t.p, &DevCtrl::StopClick, [&](int chn) {
        if (chn == 0 && !posted) {
            posted = true;
            QMetaObject::invokeMethod(qApp, [&] { t.rec.log << "pending"; }, Qt::QueuedConnection);
        }
    });
    t.click("cmdStop2S");
    EXPECT_EQ(t.rec.take(), (QStringList{"StopClick 3 0", "pending", "StopClick 3 1"}));
    EXPECT_EQ(t.p.chn(), "0") << "All Channel reads as channel 0";
    EXPECT_TRUE(t.p.AllChn());
}

TEST(DevCtrlEvents, ModeClickOnUserChoiceAndOnEveryWriteOfTMode)
{
    Panel t;
    t.p.ModeAdd("D-CC");
    t.p.ModeAdd("D-CV");
    auto *cmb = t.get<QComboBox>("cmbMode");
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(cmb, &down);
    EXPECT_EQ(t.rec.take(), QStringList{"ModeClick 3"});

    t.p.set_tMode("D-CV");
    t.p.set_tMode("D-CV");
    EXPECT_EQ(t.rec.take(), (QStringList{"ModeClick 3", "ModeClick 3"}))
        << "a write raises the event also when the entry was selected";
    EXPECT_THROW(t.p.set_tMode("Meter"), std::exception);
    EXPECT_TRUE(t.rec.take().isEmpty());
    EXPECT_EQ(t.p.tMode(), "D-CV");

    // The two-channel list raises it as well.
    t.p.set_Dev2S(true);
    t.p.ModeAdd("D-CC");
    t.p.set_tMode("D-CC");
    EXPECT_EQ(t.rec.take(), QStringList{"ModeClick 3"});
}

TEST(DevCtrlEvents, InputBoxesRaiseTheirLostFocusEvent)
{
    Panel t;
    const struct {
        const char *box;
        const char *event;
    } cases[] = {
        {"txtSval", "SvalLostFocus 3 0"},     {"txtSlmt", "SlmtLostFocus 3 0"},
        {"txtStim", "StimLostFocus 3 0"},     {"txtSval2S_0", "SvalLostFocus 3 0"},
        {"txtSval2S_1", "SvalLostFocus 3 1"}, {"txtSlmt2S_1", "SlmtLostFocus 3 1"},
        {"txtStim2S_0", "StimLostFocus 3 0"}, {"txtStim2S_1", "StimLostFocus 3 1"},
        {"txtVolAuto", "AutoVolLostFocus 3"},
    };
    for (const auto &c : cases) {
        t.loseFocus(c.box, Qt::TabFocusReason);
        EXPECT_EQ(t.rec.take(), QStringList{QLatin1String(c.event)}) << c.box;
        // Another window taking the focus, or a pop-up, is no loss of focus.
        t.loseFocus(c.box, Qt::ActiveWindowFocusReason);
        t.loseFocus(c.box, Qt::PopupFocusReason);
        EXPECT_TRUE(t.rec.take().isEmpty()) << c.box;
    }
    // The readings boxes raise nothing.
    t.loseFocus("txtVol2S_1");
    EXPECT_TRUE(t.rec.take().isEmpty());
}

TEST(DevCtrlEvents, TypingThenClickingAButtonRaisesTheLostFocusFirst)
{
    using qx::test::userMouse;
    Panel t;
    t.p.show();
    QApplication::setActiveWindow(&t.p);
    QApplication::processEvents();
    if (QApplication::activeWindow() != &t.p)
        GTEST_SKIP() << "the platform gives the panel no keyboard focus";
    // Click into the box, type, then click the button: press and release as
    // a mouse makes them, the focus moving on the press.
    auto *box = t.get<QLineEdit>("txtSval");
    const QPoint inBox = box->rect().center();
    userMouse(box, QEvent::MouseButtonPress, inBox);
    userMouse(box, QEvent::MouseButtonRelease, inBox);
    ASSERT_TRUE(box->hasFocus()) << "a click gives the box the focus";
    box->selectAll();
    for (QChar ch : QStringLiteral("1.5")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(box, &press);
    }
    ASSERT_EQ(box->text(), "1.5");
    EXPECT_TRUE(t.rec.take().isEmpty());

    auto *run = t.get<QPushButton>("cmdRun");
    const QPoint onButton = run->rect().center();
    userMouse(run, QEvent::MouseButtonPress, onButton);
    EXPECT_EQ(t.rec.take(), QStringList{"SvalLostFocus 3 0"}) << "the press takes the focus";
    userMouse(run, QEvent::MouseButtonRelease, onButton);
    EXPECT_EQ(t.rec.take(), QStringList{"RunClick 3 0"}) << "the release clicks";
}

TEST(DevCtrlEvents, TimersRaiseTheirTickEventsOnlyWhileOn)
{
    qx::test::ShortSecond second{25}; // the panel's timers tick at it
    Panel t;
    t.p.set_AutoTmrEnable(true);
    t.p.set_StepTmrEnable(true);
    for (int c = 0; c < 2; ++c) {
        t.p.set_TmrCurveEnable(c, true);
        t.p.set_TmrShowEnable(c, true);
    }
    EXPECT_TRUE(t.p.TmrShowEnable(1));
    const QStringList all{"AutoTmrOn 3", "StepTmrOn 3", "TmrCurveOn 3 0", "TmrCurveOn 3 1",
                          "TmrShowOn 3 0", "TmrShowOn 3 1"};
    QStringList got;
    runEventsUntil([&] {
        got += t.rec.take();
        got.removeDuplicates();
        return got.size() >= all.size();
    });
    got.sort();
    EXPECT_EQ(got, all);

    // Off: nothing more, while a timer left on (channel 1's show timer, of
    // the same period) ticks twice.
    t.p.set_AutoTmrEnable(false);
    t.p.set_StepTmrEnable(false);
    for (int c = 0; c < 2; ++c)
        t.p.set_TmrCurveEnable(c, false);
    t.p.set_TmrShowEnable(0, false);
    EXPECT_FALSE(t.p.AutoTmrEnable());
    t.rec.take();
    QStringList after;
    runEventsUntil([&] {
        after += t.rec.take();
        return after.count("TmrShowOn 3 1") >= 2;
    });
    after.removeAll("TmrShowOn 3 1");
    EXPECT_TRUE(after.isEmpty()) << after.join(", ").toStdString();
    t.p.set_TmrShowEnable(1, false);
    EXPECT_THROW(t.p.set_TmrCurveEnable(2, true), std::exception);
}

TEST(DevCtrlEvents, DoubleClickOnTheAutoResultsRaisesAutoListClick)
{
    Panel t;
    auto *grid = t.get<qx::Grid>("gridAutoRun");
    t.p.show();
    QApplication::processEvents();
    const QPoint p(20, 40);
    QWidget *vp = grid->viewport();
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                      QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, QPointF(p), QPointF(vp->mapToGlobal(p)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &e);
    }
    EXPECT_EQ(t.rec.take(), QStringList{"AutoListClick 3"});
}

TEST(DevCtrlEvents, PagesAreSetUpByTabClearAndTabAddAndShownByATabClick)
{
    Panel t;
    auto *bar = t.get<QTabBar>("tabDev");
    QWidget *pages[] = {t.get<QWidget>("frmDev_0"), t.get<QWidget>("frmDev_1"), t.get<QWidget>("frmDev_2")};
    t.p.show();
    QApplication::processEvents();
    ASSERT_EQ(bar->count(), 1);
    EXPECT_EQ(bar->tabText(0), "Single Test");
    EXPECT_EQ(t.p.Test(), 1);
    auto front = [&] {
        int shown = 0, which = -1;
        for (int i = 0; i < 3; ++i)
            if (pages[i]->isVisible()) {
                ++shown;
                which = i + 1;
            }
        return shown == 1 ? which : -shown;
    };
    auto clickTab = [&](int i) { qx::test::sendMouse(bar, QEvent::MouseButtonPress, bar->tabRect(i).center()); };
    EXPECT_EQ(front(), 1);

    const struct {
        std::vector<std::pair<int, const char *>> adds;
        QStringList captions;
    } cases[] = {
        {{{1, "key1"}, {2, "key2"}, {3, "key3"}}, {"Single Test", "Auto Test", "Cycle Test"}},
        {{{1, "key1"}, {2, "key3"}}, {"Single Test", "Cycle Test"}},
        {{{1, "key1"}}, {"Single Test"}},
    };
    // Whichever page a click brought to the front stays there while the
    // tabs are built anew.
    for (int page = 1; page <= 3; ++page) {
        t.p.TabClear();
        t.p.TabAdd(1, "key1");
        t.p.TabAdd(2, "key2");
        t.p.TabAdd(3, "key3");
        clickTab(page - 1);
        ASSERT_EQ(front(), page);
        for (const auto &c : cases) {
            SCOPED_TRACE(testing::Message() << "page " << page << " in front, " << c.captions.size() << " tabs");
            t.p.TabClear();
            for (const auto &[pos, key] : c.adds)
                t.p.TabAdd(pos, QLatin1String(key));
            QStringList got;
            for (int i = 0; i < bar->count(); ++i)
                got << bar->tabText(i);
            EXPECT_EQ(got, c.captions);
            EXPECT_EQ(front(), page) << "building tabs moves no page";
        }
    }
    EXPECT_TRUE(t.rec.take().isEmpty()) << "a tab click raises no event";
    EXPECT_THROW(t.p.TabAdd(3, "key3"), std::exception) << "position past the end";

    t.p.TabClear();
    t.p.TabAdd(1, "key1");
    t.p.TabAdd(2, "key3");
    clickTab(0);
    clickTab(1);
    EXPECT_EQ(front(), 3) << "the second tab, key3, shows the step page";
    EXPECT_EQ(t.p.Test(), 3);
    EXPECT_TRUE(t.rec.take().isEmpty()) << "a tab click raises no event";
}
