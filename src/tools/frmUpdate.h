#pragma once
// The firmware update of the selected device: Identify opens the device's
// port on the window's own boot-loader link, synchronises, asks for the type
// code and variant and offers the matching model; Update writes that model's
// firmware image in blocks of 128 bytes, reads every block back and compares
// it, then starts the new firmware.
//
// The main window shows it without blocking and waits for finished(). The
// window closes itself after a failed synchronisation or Get and after an
// update. The user closing it during an exchange is asked first ("Stop
// identifying?", or for an update "Stop the update? The device will need a
// new update."); a stop cancels the exchange (no further byte is sent). An
// update stopped between the erase and the start of the new firmware, also
// by the program's end, is logged ("ErrUpdate": the device needs a new
// update). Unloading closes the port, sets DlgDone and enables the main
// window's tab strip through host.
//
// Identify and Update are disabled while an exchange runs; Update stays
// disabled once an update has started. An image that is missing, empty or
// would not end below the address limit is refused before anything is sent
// ("ErrImage" in the error log, "Update failed"); a block that reads back
// different from what was written ends the update ("ErrVerify", "Update
// failed"): "Update OK" comes only after every block was verified and Go
// was acknowledged.
#include "platform/FormHolder.h"
#include "tools/FirmwareTable.h"

#include <QByteArray>
#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class ucProgressBar;

namespace qx {
class BootLink;
}

class frmUpdate : public QDialog {
    Q_OBJECT
public:
    // What the window needs of the main window.
    struct Host {
        std::function<QString()> portName; // the selected device's port ("COM3"; "" none)
        std::function<void()> enableTabs;  // on unload: the tab strip is usable again
    };

    frmUpdate(); // Form_Load
    ~frmUpdate() override;

    Host host;
    // Where Update takes the image of an identifier from.
    qx::firmware::ImageSource imageSource = qx::firmware::loadImage;

    QLabel *Label1 = nullptr;
    QComboBox *cmbDev = nullptr;
    QPushButton *cmdOpen = nullptr;
    QPushButton *cmdUpdate = nullptr;
    QLabel *lblPB = nullptr;
    ucProgressBar *pbFw = nullptr;

    QByteArray FwImage; // the image being written
    int FwLen = 0;      // its length in bytes

    // The boot-loader link (serial port, link state, Timer1 and Timer2).
    qx::BootLink &link() const { return *link_; }
    // An exchange (Identify or Update) is running.
    bool exchanging() const { return exchanging_; }
    // An update is running (Identify alone is not one).
    bool updating() const { return exchanging_ && updating_ && !unloaded_; }
    // While an update runs, asks "Stop the update? The device will need a
    // new update." (Cancel is the default); true when the user agrees or no
    // update runs (any more). The update waits while the question is open.
    bool mayStopUpdate();

    void cmdOpen_Click();   // Identify
    void cmdUpdate_Click(); // Update
    // Closes the port, sets DlgDone, enables the tab strip and emits
    // finished; runs once, when the window closes or is destroyed.
    void Form_Unload();

protected:
    void closeEvent(QCloseEvent *e) override;
    void reject() override;

private:
    int message(const QString &text, int style);
    void setExchanging(bool on);
    // Empty, missing or too long for the start address of bootType: logs
    // "ErrImage" and returns false.
    bool imageFits(int id, int bootType) const;
    // Hides the window, shows "Update failed" and closes it.
    void updateFailed();
    // Closes the window at the end of its own exchange, without asking.
    void closeSelf();

    // Shared with a running flow, so that the link outlives a window that is
    // destroyed while the flow waits on it.
    std::shared_ptr<qx::BootLink> link_;
    bool exchanging_ = false;
    bool updating_ = false; // the exchange running is an update
    bool erased_ = false;   // the device's firmware is erased and the new one not started
    bool unloaded_ = false;
};

// The default instance of frmUpdate.
qx::FormHolder<frmUpdate> &frmUpdateForm();
