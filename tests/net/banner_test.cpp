// The banner window: fade-in, fade-out before it unloads, the picture and
// the link it opens.
#include "common/FakeUi.h"
#include "common/TempHome.h"
#include "net/frmBanner.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <gtest/gtest.h>

using namespace qx::test;

namespace {

struct Banner : ::testing::Test {
    ~Banner() override
    {
        frmBannerForm().unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Ticks a timer's handler as the timer would, n times or until the window has gone.
    void tick(void (frmBanner::*timer)(), int n)
    {
        for (int i = 0; i < n && frmBannerForm().isLoaded(); ++i)
            (frmBannerForm().get().*timer)();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void clickPicture()
    {
        QLabel *p = frmBannerForm()->Picture1;
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(5, 5), p->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(p, &e);
    }
    FakeUi ui;
    TempHome home;
};

} // namespace

TEST_F(Banner, FadesInToTwoHundredTwentyAndStays)
{
    frmBanner &b = frmBannerForm().get();
    b.show();
    EXPECT_EQ(b.Alpha(), 0);
    EXPECT_TRUE(b.Timer1->isActive());
    EXPECT_FALSE(b.Timer2->isActive());
    EXPECT_EQ(b.Timer1->interval(), 25);
    tick(&frmBanner::Timer1_Timer, 43);
    EXPECT_EQ(b.Alpha(), 215);
    tick(&frmBanner::Timer1_Timer, 1);
    EXPECT_EQ(b.Alpha(), 220);
    EXPECT_NEAR(b.windowOpacity(), 220 / 255.0, 0.01);
    tick(&frmBanner::Timer1_Timer, 5);
    EXPECT_EQ(b.Alpha(), 220);
    EXPECT_FALSE(b.Timer1->isActive());
}

TEST_F(Banner, AClickOpensItsLinkAndFadesOutBeforeUnloading)
{
    frmBanner &b = frmBannerForm().get();
    b.show();
    tick(&frmBanner::Timer1_Timer, 44);
    b.SetUrl("https://example.org/offer");
    clickPicture();
    EXPECT_EQ(ui.links, QStringList{"https://example.org/offer"});
    EXPECT_FALSE(b.Timer1->isActive());
    EXPECT_TRUE(b.Timer2->isActive());
    tick(&frmBanner::Timer2_Timer, 44);
    ASSERT_TRUE(frmBannerForm().isLoaded());
    EXPECT_EQ(frmBannerForm()->Alpha(), 0);
    tick(&frmBanner::Timer2_Timer, 1);
    EXPECT_FALSE(frmBannerForm().isLoaded());
}

TEST_F(Banner, ACloseRequestFadesOutFirst)
{
    frmBanner &b = frmBannerForm().get();
    b.show();
    tick(&frmBanner::Timer1_Timer, 10);
    EXPECT_FALSE(b.close());  // refused while fading
    EXPECT_TRUE(b.isVisible());
    EXPECT_TRUE(b.Timer2->isActive());
    tick(&frmBanner::Timer2_Timer, 11);
    EXPECT_FALSE(frmBannerForm().isLoaded());
    EXPECT_TRUE(ui.links.isEmpty());  // no link set, nothing opened
}

TEST_F(Banner, OnlyWebLinksAreOpened)
{
    frmBanner &b = frmBannerForm().get();
    b.show();
    for (const char *link : {"file:///etc/passwd", "javascript:alert(1)", "http:/nohost", "cmd.exe"}) {
        b.SetUrl(link);
        clickPicture();
    }
    EXPECT_TRUE(ui.links.isEmpty());
}

TEST_F(Banner, ShowsAPictureFileAndIgnoresWhatIsNotOne)
{
    frmBanner &b = frmBannerForm().get();
    b.ShowPic(home.file("missing.ban"));
    EXPECT_TRUE(b.Picture1->pixmap().isNull());
    home.write("bad.ban", QByteArray("\x89PNG\r\n\x1a\n garbage", 17));
    b.ShowPic(home.file("bad.ban"));
    EXPECT_TRUE(b.Picture1->pixmap().isNull());
    QImage img(30, 20, QImage::Format_RGB32);
    img.fill(Qt::blue);
    ASSERT_TRUE(img.save(home.file("qx.ban"), "PNG"));
    b.ShowPic(home.file("qx.ban"));
    EXPECT_EQ(b.Picture1->pixmap().size(), QSize(30, 20));
    b.ShowPic(home.file("bad.ban"));  // keeps the picture it has
    EXPECT_EQ(b.Picture1->pixmap().size(), QSize(30, 20));
}
