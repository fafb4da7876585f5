#pragma once
// The banner window: fades in at the bottom right inside the main window to
// opacity 220 of 255 (5 steps every 25 ms), shows the banner picture and
// opens its link when the picture is clicked, then fades out and unloads.
// A request to close it first fades it out. When the program is asked to
// end while the banner shows, it fades out first and then lets the program
// end. The end of a banner download shows it; nothing in the program
// starts one.
#include "platform/FormHolder.h"

#include <QWidget>

class QLabel;
class QTimer;
namespace qx {
class QuitAfterFade;
}

class frmBanner : public QWidget {
    Q_OBJECT
public:
    frmBanner();  // Form_Load: placed, opacity 0, fade-in running

    QLabel *Picture1 = nullptr;
    QTimer *Timer1 = nullptr;  // fade-in, 25 ms
    QTimer *Timer2 = nullptr;  // fade-out, 25 ms, off at start
    int Alpha() const { return alpha_; }
    bool FadeDone() const { return fadeDone_; }
    QString LinkUrl() const { return linkUrl_; }

    void SetUrl(const QString &url) { linkUrl_ = url; }
    // Shows the picture of the file when the file exists and holds a
    // picture; otherwise nothing changes.
    void ShowPic(const QString &fname);

    void Timer1_Timer();
    void Timer2_Timer();
    // A click on the picture: opens the link (an http or https URL only)
    // and starts the fade-out.
    void Picture1_Click();
    // A request to unload: fades out first; goes ahead once the fade-out has ended.
    void Unload();

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyAlpha();
    int alpha_ = 0;
    bool fadeDone_ = false;
    qx::QuitAfterFade *quitWait_ = nullptr;  // the program's end waits for the fade-out
    QString linkUrl_;
};

// The default instance of frmBanner.
qx::FormHolder<frmBanner> &frmBannerForm();
