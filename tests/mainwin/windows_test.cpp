// The STOP pop-up, the About box and the splash.
#include "MainFixture.h"

#include "common/ProgramRun.h"

#include "platform/AppVersion.h"
#include "mainwin/frmAbout.h"
#include "mainwin/frmLogo.h"

#include "platform/Colors.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

using namespace qx;
using qx::test::MainFixture;

namespace {

void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Ticks a fade timer n times (its handler, as the timer would).
void tick(void (frmMsg::*timer)(), int n)
{
    for (int i = 0; i < n && frmMsgForm().isLoaded(); ++i)
        (frmMsgForm().get().*timer)();
    settle();
}

void click(QWidget *w)
{
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

struct Popup : MainFixture {
    frmMain &w = load();
};

} // namespace

TEST_F(Popup, NothingWithoutThePromptOption)
{
    OptMsg = false;
    w.ShowMsg("STOP");
    EXPECT_FALSE(frmMsgForm().isLoaded());
}

TEST_F(Popup, FadesInToTwoHundredAndWaitsForAClick)
{
    OptMsg = true;
    w.ShowMsg("STOP");
    ASSERT_TRUE(frmMsgForm().isLoaded());
    frmMsg &m = frmMsgForm().get();
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(m.windowTitle(), "Prompt");
    EXPECT_EQ(m.lblMsg->text(), "STOP");
    EXPECT_EQ(m.size(), QSize(twipsToPx(2655), twipsToPx(1185)));
    EXPECT_EQ(m.Alpha(), 0);
    EXPECT_TRUE(m.Timer1->isActive());
    EXPECT_EQ(m.Timer1->interval(), 25);
    EXPECT_FALSE(m.Timer2->isActive());

    tick(&frmMsg::Timer1_Timer, 40);
    EXPECT_EQ(m.Alpha(), 200);
    EXPECT_TRUE(m.Timer1->isActive());
    tick(&frmMsg::Timer1_Timer, 1);
    EXPECT_EQ(m.Alpha(), 200);
    EXPECT_FALSE(m.Timer1->isActive()) << "the 41st tick stops the fade-in";

    // No time-out: only a click starts the fade-out.
    click(m.lblMsg);
    EXPECT_TRUE(m.Timer2->isActive());
    tick(&frmMsg::Timer2_Timer, 40);
    ASSERT_TRUE(frmMsgForm().isLoaded());
    EXPECT_EQ(m.Alpha(), 0);
    tick(&frmMsg::Timer2_Timer, 1);
    EXPECT_FALSE(frmMsgForm().isLoaded()) << "the 41st tick unloads";
}

TEST_F(Popup, ClickDuringFadeInFadesOutFromThere)
{
    OptMsg = true;
    w.ShowMsg("STOP");
    tick(&frmMsg::Timer1_Timer, 20);
    frmMsg &m = frmMsgForm().get();
    ASSERT_EQ(m.Alpha(), 100);
    click(&m);
    EXPECT_FALSE(m.Timer1->isActive());
    tick(&frmMsg::Timer2_Timer, 10);
    click(&m);  // a click while fading out changes nothing
    EXPECT_FALSE(m.Timer1->isActive());
    tick(&frmMsg::Timer2_Timer, 10);
    ASSERT_TRUE(frmMsgForm().isLoaded());
    EXPECT_EQ(m.Alpha(), 0);
    tick(&frmMsg::Timer2_Timer, 1);
    EXPECT_FALSE(frmMsgForm().isLoaded());
}

TEST_F(Popup, CloseRequestsOnlyStartTheFadeOut)
{
    OptMsg = true;
    w.ShowMsg("STOP");
    tick(&frmMsg::Timer1_Timer, 40);
    frmMsg &m = frmMsgForm().get();
    EXPECT_FALSE(m.close()) << "the close box is refused";
    settle();
    ASSERT_TRUE(frmMsgForm().isLoaded());
    EXPECT_TRUE(m.Timer2->isActive());
    m.Unload();  // shutdown's request, during the fade-out
    settle();
    ASSERT_TRUE(frmMsgForm().isLoaded());

    // A second message while fading out replaces the text; the fade-out goes on.
    w.ShowMsg("AGAIN");
    EXPECT_EQ(m.lblMsg->text(), "AGAIN");
    EXPECT_TRUE(m.Timer2->isActive());
    tick(&frmMsg::Timer2_Timer, 41);
    EXPECT_FALSE(frmMsgForm().isLoaded());

    // The next message loads it again from opacity 0.
    w.ShowMsg("STOP");
    ASSERT_TRUE(frmMsgForm().isLoaded());
    EXPECT_EQ(frmMsgForm()->Alpha(), 0);
    EXPECT_TRUE(frmMsgForm()->Timer1->isActive());
}

TEST_F(Popup, MessageRightAfterTheFadeOutEndedGetsAFreshWindow)
{
    OptMsg = true;
    w.ShowMsg("STOP");
    frmMsgForm()->Form_Click();
    frmMsgForm()->Timer2_Timer();  // at opacity 0 this closes; the deletion is still pending
    ASSERT_TRUE(frmMsgForm().isLoaded());
    ASSERT_TRUE(frmMsgForm()->Closing());
    w.ShowMsg("NEXT");
    settle();
    ASSERT_TRUE(frmMsgForm().isLoaded());
    EXPECT_FALSE(frmMsgForm()->Closing());
    EXPECT_TRUE(frmMsgForm()->isVisible());
    EXPECT_EQ(frmMsgForm()->lblMsg->text(), "NEXT");
}

TEST_F(Popup, ClosingTheMainWindowEndsTheProgramOnceThePopupHasFadedOut)
{
    // As the program runs: the main window alone decides when it ends.
    QApplication::setQuitOnLastWindowClosed(false);
    OptMsg = true;
    ui.msgAnswers = {MrOk};  // "Close software?"
    w.show();
    w.ShowMsg("STOP");
    tick(&frmMsg::Timer1_Timer, 40);  // showing at 200
    QPointer<frmMsg> popup = &frmMsgForm().get();
    bool fadingOutAtClose = false;
    QTimer::singleShot(0, &w, [&] {
        w.close();
        fadingOutAtClose = popup && popup->isVisible() && popup->Timer2->isActive();
    });
    // Generous: the fade-out takes about a second.
    const int rc = test::execWithWatchdog();
    QApplication::setQuitOnLastWindowClosed(true);
    settle();
    EXPECT_TRUE(fadingOutAtClose) << "the pop-up fades out after the main window has gone";
    EXPECT_EQ(rc, 0) << "the program did not end";
    EXPECT_TRUE(popup.isNull());
}

TEST(About, ShowsTitleVersionBuildAndClosesOnOk)
{
    test::FakeUi ui;
    frmAbout &a = frmAboutForm().get();
    EXPECT_EQ(a.windowTitle(), "About Software");
    EXPECT_EQ(a.lblTitle->text(), "QX Tester Software");
    EXPECT_EQ(a.lblVer->text(), "Version: V1.8.9");
    EXPECT_TRUE(a.lblRelease->text().startsWith("Build ")) << a.lblRelease->text().toStdString();
    EXPECT_FALSE(a.Image1->pixmap().isNull());
    EXPECT_FALSE(a.isModal());
    click(a.Label1);
    EXPECT_EQ(ui.links, QStringList{app::webAddress()});
    a.show();
    a.cmdOK->click();
    settle();
    EXPECT_FALSE(frmAboutForm().isLoaded());
}

TEST(Splash, ShowsOnlyItsTextsAndHandsOverAfterItsTimer)
{
    test::FakeUi ui;
    int shown = 0;
    QPointer<frmLogo> splash = new frmLogo([&shown] { ++shown; });
    splash->show();
    EXPECT_EQ(splash->Timer1->interval(), 2000);
    EXPECT_TRUE(splash->Timer1->isActive());
    EXPECT_EQ(splash->Label1->text(), "QX Tester Software");

    // White is see-through: the window keeps only the pixels of its texts.
    const QRegion kept = splash->mask();
    EXPECT_FALSE(kept.isEmpty());
    EXPECT_FALSE(kept.contains(QPoint(1, 1)));
    EXPECT_TRUE(kept.boundingRect().intersects(splash->Label1->geometry()));
    EXPECT_LT(kept.boundingRect().width() * kept.boundingRect().height(), splash->width() * splash->height());

    click(splash->Label2);
    EXPECT_EQ(ui.links, QStringList{app::webAddress()});

    splash->Timer1_Timer();
    settle();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(splash.isNull()) << "the splash unloads itself";
}
