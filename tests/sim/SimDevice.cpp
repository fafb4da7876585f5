#include "SimDevice.h"

#include <algorithm>
#include <cmath>

namespace qx::sim {

using namespace Frames;

namespace {

enum class Kind { Discharge, Charge, Meter };

Kind kindOf(const std::string &mode)
{
    if (mode.rfind("D-", 0) == 0)
        return Kind::Discharge;
    if (mode.rfind("C-", 0) == 0)
        return Kind::Charge;
    return Kind::Meter;
}

int32_t clampPair(double v) { return int32_t(std::clamp(std::lrint(v), 0L, long(MaxPair))); }

constexpr double UsbLineVolts = 0.6; // D+ and D- of the simulated USB source

} // namespace

SimCommand SimCommand::fromBytes(const std::array<uint8_t, 8> &b)
{
    SimCommand c;
    c.commandByte = b[0];
    c.op = b[0] % 16;
    c.chn = (b[0] / 16) / 10;
    c.mode = (b[0] / 16) % 10;
    std::copy(b.begin() + 1, b.begin() + 7, c.d.begin());
    c.checksum = b[7];
    CmdBuf buf{};
    std::copy(b.begin(), b.end() - 1, buf.begin() + 2);
    const bool small = std::all_of(b.begin(), b.end(), [](uint8_t v) { return v < ByteLimit; });
    c.valid = small && ChkXor(buf) == c.checksum;
    return c;
}

double Battery::ocv() const { return cells * (vEmpty + (vFull - vEmpty) * std::clamp(soc, 0.0, 1.0)); }

int32_t encodeVoltage(double v)
{
    const long mv = std::lrint(std::max(v, 0.0) * 1000);
    if (mv < RangeMid)
        return int32_t(mv);
    return std::min<int32_t>(MaxPair, RangeMid + int32_t(std::lrint(v * 100)));
}

int32_t encodeCapacity(double ah)
{
    const long mah = std::lrint(std::max(ah, 0.0) * 1000);
    if (mah < RangeMid)
        return int32_t(mah);
    const long cah = std::lrint(ah * 100);
    if (RangeMid + cah < RangeHigh)
        return RangeMid + int32_t(cah);
    return std::min<int32_t>(MaxPair, RangeHigh + int32_t(std::lrint(ah * 10)));
}

SimDevice::SimDevice(int type, int firmware) : model_(simModel(type, firmware))
{
    for (SimChannel &c : ch_) {
        c.setVal = clampPair(1.0 * model_.curScale);
        c.setLmt = clampPair(3.0 * model_.volScale);
        c.volts = sourceOcv(c);
    }
}

double SimDevice::sourceOcv(const SimChannel &c) const { return model_.usb ? usbVolts_ : c.battery.ocv(); }

void SimDevice::handle(const SimCommand &cmd)
{
    if (!cmd.valid || cmd.chn >= model_.channels())
        return;
    SimChannel &c = ch_[cmd.chn];
    switch (cmd.op) {
    case OpConnect:
        connected_ = true;
        for (SimChannel &x : ch_)
            x.pendingParams = paramFrames_;
        break;
    case OpDisconnect:
        connected_ = false;
        break;
    case OpStart:
        startTest(c, cmd, true);
        break;
    case OpContinue:
        startTest(c, cmd, false);
        break;
    case OpStop:
        if (c.running)
            endTest(c, "stop");
        break;
    case OpAdjust: {
        const bool bare = std::all_of(cmd.d.begin(), cmd.d.begin() + 5, [](uint8_t v) { return v == 0; });
        const int req = cmd.d[5];
        if (bare && req >= 10 && req <= 21) {
            static const double fixed[] = {5.0, 9.0, 12.0, 20.0, 5.0};
            if (req <= 14)
                usbVolts_ = fixed[req - 10];
            else if (req == 15 || req == 21)
                usbVolts_ = std::min(20.0, usbVolts_ + (req == 15 ? 0.2 : 1.0));
            else if (req == 16 || req == 20)
                usbVolts_ = std::max(3.6, usbVolts_ - (req == 16 ? 0.2 : 1.0));
            break;
        }
        c.setVal = cmd.pair(1);
        c.setLmt = cmd.pair(3);
        c.setTim = cmd.pair(5);
        break;
    }
    case OpResTest:
        if (!c.running) {
            const double mA = cmd.pair(1) * (model_.curScale == 100 ? 10.0 : 1.0);
            c.resVolts = mA / 1000.0 * c.battery.rOhm * c.battery.cells;
            c.resFrames = 8;
        }
        break;
    case OpMinutes:
        c.minutes = cmd.pair(1);
        break;
    default: // calibration and unknown operations are only recorded
        break;
    }
}

void SimDevice::startTest(SimChannel &c, const SimCommand &cmd, bool fresh)
{
    if (cmd.mode >= int(model_.modes.size()))
        return;
    if (!fresh && countsAgain_ && !c.running)
        fresh = true;
    c.mode = cmd.mode;
    c.setVal = cmd.pair(1);
    c.setLmt = cmd.pair(3);
    c.setTim = cmd.pair(5);
    c.running = true;
    c.endReason.clear();
    c.resFrames = 0;
    if (fresh) {
        c.capacityAh = 0;
        c.energyWh = 0;
        c.testSecs = 0;
    }
}

void SimDevice::endTest(SimChannel &c, const char *reason)
{
    c.running = false;
    c.endReason = reason;
    c.amps = 0;
    c.volts = sourceOcv(c);
}

void SimDevice::advance(double dt)
{
    if (!std::isfinite(dt))
        return;
    while (dt > 1e-9) {
        const double h = std::min(dt, 1.0);
        for (int i = 0; i < model_.channels(); ++i)
            step(ch_[i], h);
        dt -= h;
    }
}

void SimDevice::step(SimChannel &c, double dt)
{
    const double ocv = sourceOcv(c);
    c.tempC += (25 + 3 * c.amps - c.tempC) * std::min(1.0, dt / 60);
    if (!c.running) {
        c.amps = 0;
        c.volts = ocv;
        return;
    }
    const std::string &text = c.mode < int(model_.modes.size()) ? model_.modes[c.mode] : model_.modes.front();
    const Kind kind = kindOf(text);
    const double r = model_.usb ? 0.1 : c.battery.rOhm * c.battery.cells;
    const double set = double(c.setVal) / model_.curScale;
    double amps = 0;
    if (model_.usb || text == "D-CC")
        amps = set;
    else if (text == "D-CP")
        amps = double(c.setVal) / model_.pwrScale / std::max(ocv, 0.1);
    else if (text == "D-CV")
        amps = ocv > set ? (ocv - set) / r : 0;
    else if (kind == Kind::Charge) {
        amps = set;
        const double vcv = double(c.setLmt) / model_.volScale;
        if (text == "C-CV" && ocv + amps * r > vcv)
            amps = std::max(0.0, (vcv - ocv) / r);
    }
    amps = std::clamp(amps, 0.0, model_.maxCur);
    const bool charging = kind == Kind::Charge;
    c.amps = amps;
    c.volts = std::max(0.0, charging ? ocv + amps * r : ocv - amps * r);
    const double ah = amps * dt / 3600;
    c.capacityAh += ah;
    c.energyWh += c.volts * ah;
    c.testSecs += dt;
    if (!model_.usb && kind != Kind::Meter) {
        Battery &b = c.battery;
        b.soc = std::clamp(b.soc + (charging ? ah : -ah) / b.capacityAh, 0.0, 1.0);
    }

    const bool thirdIsCurrent = model_.thirdIsCurrent(c.mode);
    if (!thirdIsCurrent && c.setTim > 0 && c.testSecs >= c.setTim * 60.0)
        return endTest(c, "time");
    if (model_.usb || kind == Kind::Meter)
        return;
    if (kind == Kind::Discharge) {
        const double cutoff = double(c.setLmt) / model_.volScale;
        if (cutoff > 0 && c.volts <= cutoff)
            return endTest(c, "cutoff");
        if (c.battery.soc <= 0)
            return endTest(c, "empty");
        return;
    }
    const double cutI = thirdIsCurrent ? double(c.setTim) / model_.curScale : 0.05 * set;
    if (c.battery.soc >= 1 || (text == "C-CV" && amps < cutI))
        return endTest(c, "full");
}

Frames::DevFrame SimDevice::frame(int ch, bool parameter) const
{
    const SimChannel &c = channel(ch);
    const int status = (parameter ? 100 : 0) + (c.running ? 10 : 0) + std::min(c.mode, 9);
    int32_t capacity = encodeCapacity(c.capacityAh);
    int32_t temp = clampPair(c.tempC * 10);
    if (model_.usb) {
        capacity = clampPair(UsbLineVolts * 1000);
        temp = clampPair(UsbLineVolts * 1000);
    } else if (!c.running && c.resFrames > 0) {
        capacity = clampPair(c.resVolts * 1000);
    }
    std::array<int32_t, 7> pairs{clampPair(c.amps * model_.currentUnits()), encodeVoltage(c.volts), capacity, temp,
                                 c.setVal, c.setLmt, c.setTim};
    if (parameter) {
        pairs[4] = clampPair(model_.firmware);
        pairs[5] = clampPair(model_.maxVol * model_.volScale);
        pairs[6] = clampPair(model_.maxCur * model_.curScale);
    }
    return deviceFrame(status, pairs, model_.type + 100 * ch);
}

std::vector<Frames::DevFrame> SimDevice::tickFrames()
{
    std::vector<DevFrame> out;
    if (!connected_)
        return out;
    for (int ch = 0; ch < model_.channels(); ++ch) {
        SimChannel &c = ch_[ch];
        const bool param = c.pendingParams > 0;
        out.push_back(frame(ch, param));
        if (param)
            --c.pendingParams;
        if (!c.running && c.resFrames > 0)
            --c.resFrames;
    }
    return out;
}

} // namespace qx::sim
