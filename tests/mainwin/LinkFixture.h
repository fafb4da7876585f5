#pragma once
// A main window whose device tabs connect through their panel's Connect
// button to ports of the test's home folder (a bare pseudo-terminal the test
// plays the device on, or the simulated device), device frames built as a
// device sends them, and the things a user sees of a tab.
#include "MainFixture.h"

#include "common/Loopback.h"
#include "common/RawPty.h"
#include "curves/CurveGraph.h"
#include "link/Frames.h"
#include "services/State.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"

#include <QDir>
#include <QPushButton>
#include <QTimer>

namespace qx::test {

using Bytes = std::vector<uint8_t>;

// One device frame on the wire: FA, status, the seven pairs (current,
// voltage, capacity, temperature, set value, limit, third value), type byte,
// the device's checksum, F8.
inline Bytes devFrame(int status, int typeByte, const std::array<int32_t, 7> &pairs)
{
    const Frames::DevFrame f = Frames::deviceFrame(status, pairs, typeByte);
    return Bytes(f.begin(), f.end());
}

// The parts one after the other, as one read or one stream.
template <class... B>
Bytes cat(const B &...parts)
{
    Bytes out;
    (out.insert(out.end(), parts.begin(), parts.end()), ...);
    return out;
}

class LinkFixture : public MainFixture {
protected:
    void SetUp() override { fixErrLogClock(); }

    // Automatic save and the STOP notice on, ".csv" with ",".
    static constexpr const char *DefaultIni = "[AUTO]\r\nSAVE=True\r\nMSG=True\r\nCSV=True\r\nCSVT=0\r\n";
    // The main window with qx.ini holding ini (DefaultIni unless the test
    // gives its own).
    frmMain &open(const QByteArray &ini = DefaultIni)
    {
        w = &load(ini);
        return *w;
    }
    // Tabs up to Index, Index's port chosen.
    void choosePort(int Index, int com)
    {
        while (w->viewCount() <= Index)
            w->menuAddDev_Click();
        DevCtrl &p = w->DevCtrl(Index);
        const QString name = QStringLiteral("COM%1").arg(com);
        p.PortAdd(name);
        p.set_tPort(name);
    }
    QPushButton *button(int Index, const char *name) const
    {
        return w->DevCtrl(Index).findChild<QPushButton *>(QLatin1String(name));
    }
    // The panel's Connect button, as the user clicks it.
    void clickConnect(int Index = 0) { button(Index, "cmdConn")->click(); }
    bool connected(int Index = 0) const { return button(Index, "cmdConn")->text() == QLatin1String("Disconn"); }
    bool identified(int Index = 0) const { return w->DevCtrl(Index).Conn() && !w->tmrConn(Index).isActive(); }

    std::string cell(int Index, int row, int col) const { return w->gridRun(Index).TextMatrix(row, col).toStdString(); }
    std::string info(int Index, int line) const { return w->lstInfoLine(Index, line).toStdString(); }
    QStringList modes(int Index = 0) const
    {
        const DevCtrl &p = w->DevCtrl(Index);
        QStringList l;
        for (int i = 0; i < p.ModeCnt(); ++i)
            l << p.ModeTxt(i);
        return l;
    }
    // "key:caption" of every page of the panel.
    QStringList pages(int Index = 0) const
    {
        const auto *tabs = w->DevCtrl(Index).findChild<KeyedTabBar *>(QStringLiteral("tabDev"));
        QStringList l;
        for (int i = 1; i <= tabs->Count(); ++i)
            l << tabs->Key(i) + ':' + tabs->Caption(i);
        return l;
    }
    // Lines of a file of the home folder (CR LF).
    QStringList fileLines(const QString &name) const
    {
        QStringList l = QString::fromUtf8(home.read(name)).split(QStringLiteral("\r\n"));
        if (!l.isEmpty() && l.last().isEmpty())
            l.removeLast();
        return l;
    }
    // Result files in Data.
    QStringList dataFiles() const
    {
        return QDir(home.file(QStringLiteral("Data"))).entryList(QDir::Files, QDir::Name);
    }
    int points(int curve, int Index = 0) const { return w->CurveGraph(Index).DpCnt(curve); }

    frmMain *w = nullptr;
};

} // namespace qx::test
