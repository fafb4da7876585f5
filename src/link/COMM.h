#pragma once
// The program's only access to the devices' serial ports. Ports are named by
// number (port n is "COM" & n, resolved by qx::SerialPort::pathOf) and held
// by handle: a positive int32 from a table of open ports, never 0, which
// every routine treats as "no port". Use from the user-interface thread
// (the table is locked, so a stray call from elsewhere is safe too).
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace qx::COMM {

// Opens port n exclusively (no other open of this program, nor of another
// that honours serial port locks, gets it while it is held; the hold ends
// with the process however it ends); its handle, or 0 when it cannot be
// opened. The line settings stay as they were until SetCommParams.
int32_t OpenComm(int32_t port);
// Whether port n is free and opens now (the port scan's test): the device
// is opened and closed again without changing its settings or modem lines.
bool PortAvailable(int32_t port);
// The same test, saying why a port that is there does not open: "" when
// it is free or simply not to be had (no device, a held port, no terminal),
// "no permission (group dialout)" when this user may not open the device.
struct PortProbe {
    bool free = false;
    QString refusal;
};
PortProbe ProbePort(int32_t port);
// Releases the port and sets h to 0. A handle that is 0 or unknown is only
// set to 0.
void CloseComm(int32_t &h);
// One read without waiting: at most 64 bytes; n receives their count. A
// port whose far end has gone returns nothing (see PortGone).
std::vector<uint8_t> ReadComm(int32_t h, int32_t &n);
// Writes buf[1] .. buf[size - 1] (element 0 unused, as in a command-frame
// buffer), giving up after 100 ms; the count written. 0 and nothing written
// for an empty buf or a closed handle.
int32_t WriteComm(int32_t h, std::span<const uint8_t> buf);
// Line settings (platform codes: stopBits 0 = one, parity 2 = even), then
// SetPortTimeouts; true when the line settings were taken. False for h = 0.
bool SetCommParams(int32_t h, int32_t baud, uint8_t byteSize, uint8_t stopBits, uint8_t parity);
// Reads return at once, writes give up after 100 ms; a and b are unused.
bool SetPortTimeouts(int32_t h, int32_t a, int32_t b);
// Drops the bytes that arrived on h and were not read yet (Connect starts
// with an empty input). False for h = 0.
bool PurgeInput(int32_t h);

// True when a read or write on h found that the far end hung up (the device
// was unplugged or the other side closed). The device is released at once;
// the handle stays valid, reads return nothing, until CloseComm.
bool PortGone(int32_t h);
// The descriptor of h's open device, for a readiness watch (the caller
// duplicates it to keep it); -1 when h is not open or its port has gone.
int PortDescriptor(int32_t h);
// The device path behind port n, links resolved, for the port list's tooltip.
QString PortPath(int32_t port);

} // namespace COMM
