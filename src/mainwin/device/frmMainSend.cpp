// The command senders: connect, disconnect, stop, elapsed minutes, start /
// adjust / continue, and the public set-value and quick-charge senders.
// None waits for an answer; the device's next frames show the effect.
#include "mainwin/frmMain.h"

#include "link/COMM.h"
#include "link/Frames.h"
#include "services/StartRules.h"
#include "services/State.h"
#include "panel/DevCtrl.h"
#include "platform/Numbers.h"
#include "platform/QxError.h"
#include "tools/ToolPanel.h"

#include <exception>
#include <limits>

namespace {

using qx::Frames::CmdBuf;

// Writes a finished frame to the device's port, when it is open.
bool writeFrame(int Index, CmdBuf &buf)
{
    qx::Frames::finishCommand(buf);
    const int32_t h = qx::PortHandle[Index];
    if (h == 0)
        return false;
    return qx::COMM::WriteComm(h, buf) == qx::Frames::CmdLen;
}

// Runs a sender; any failure while building logs its tag and sends nothing.
template <class F>
bool trapped(const QString &tag, F &&build)
{
    try {
        return build();
    } catch (const std::exception &e) {
        frmMain::ErrLog(tag, QString::fromUtf8(e.what()));
    }
    return false;
}


// The channel a public sender acts on: chn, or the panel's when it is -1.
int senderChannel(const DevCtrl &p, int chn)
{
    if (chn == -1)
        return qx::tools::panelChannel(&p);
    if (chn < 0 || chn >= qx::ChnSlots)
        qx::raise(qx::ErrSubscript);
    return chn;
}

// (request + offset) Mod 240 in 16-bit arithmetic, as one data byte.
int requestByte(int val, int offset)
{
    const int64_t sum = int64_t(val) + offset;
    if (sum < std::numeric_limits<int16_t>::min() || sum > std::numeric_limits<int16_t>::max())
        qx::raise(qx::ErrOverflow);
    return qx::num::imod(int32_t(sum), qx::Frames::ByteLimit);
}

} // namespace

bool frmMain::SendConnect(int Index)
{
    return trapped(QStringLiteral("ErrConn"), [&] {
        CmdBuf buf = qx::Frames::commandFrame(0, 0, qx::Frames::OpConnect);
        return writeFrame(Index, buf);
    });
}

bool frmMain::SendDisconnect(int Index)
{
    return trapped(QStringLiteral("ErrDconn"), [&] {
        CmdBuf buf = qx::Frames::commandFrame(0, 0, qx::Frames::OpDisconnect);
        return writeFrame(Index, buf);
    });
}

bool frmMain::SendStop(int Index, int chn)
{
    return trapped(QStringLiteral("ErrStop"), [&] {
        CmdBuf buf = qx::Frames::commandFrame(chn, 0, qx::Frames::OpStop);
        return writeFrame(Index, buf);
    });
}

bool frmMain::SendTime(int Index, int chn)
{
    return trapped(QStringLiteral("ErrTim"), [&] {
        const int32_t minutes = qx::num::idiv(qx::TestSecs[Index][chn].load(), 60);
        CmdBuf buf = qx::Frames::commandFramePairs(chn, 0, qx::Frames::OpMinutes, minutes);
        return writeFrame(Index, buf);
    });
}

bool frmMain::SendStart(int Index, int chn, int op)
{
    using namespace qx;
    return trapped(QStringLiteral("ErrStart%1").arg(op), [&] {
        ChannelState &c = chan(Index, chn);
        const int mode = c.Mode;
        CmdBuf buf{};
        buf[2] = Frames::commandByte(chn, mode, op);

        const ::DevCtrl &p = DevCtrl(Index);
        const startrules::Device d = deviceLimits(Index);
        startrules::Values v{c.SetVal, c.SetLmt, c.SetTim, {}};
        // The values converted before a failure stay stored.
        const auto keep = [&] {
            c.SetVal = v.setVal;
            c.SetLmt = v.setLmt;
            c.SetTim = v.setTim;
        };
        try {
            startrules::convert(d, mode, {p.tSval(chn), p.tSlmt(chn), p.tStim(chn)}, v);
        } catch (...) {
            keep();
            throw;
        }
        keep();
        for (int k = 1; k <= 6; ++k)
            Frames::putByte(buf, k, v.data[size_t(k - 1)]);
        return writeFrame(Index, buf);
    });
}

bool frmMain::RemoteSet(int Index, float val, int chn)
{
    using namespace qx;
    return trapped(QStringLiteral("ErrSet"), [&] {
        ::DevCtrl &p = DevCtrl(Index);
        const int c = senderChannel(p, chn);
        // 32 bits, as the start sender: a 1000-scale model above 32.767 A works.
        const int32_t v = num::toInt(double(val) * CurScale[Index]);
        CmdBuf buf = Frames::commandFramePairs(c, 0, Frames::OpAdjust, v, chan(Index, c).SetLmt, 0);
        const bool sent = writeFrame(Index, buf);
        p.set_tSval(c, num::format(val, u"0.00"));
        return sent;
    });
}

bool frmMain::RemoteQC(int Index, int val, int chn) { return sendRequest(Index, val, chn, 10, QStringLiteral("ErrQC")); }

bool frmMain::RemotePE(int Index, int val, int chn) { return sendRequest(Index, val, chn, 20, QStringLiteral("ErrPE")); }

bool frmMain::sendRequest(int Index, int val, int chn, int offset, const QString &tag)
{
    using namespace qx;
    return trapped(tag, [&] {
        const int c = senderChannel(DevCtrl(Index), chn);
        CmdBuf buf = Frames::commandFrame(c, 0, Frames::OpAdjust, {0, 0, 0, 0, 0, requestByte(val, offset)});
        return writeFrame(Index, buf);
    });
}
