#pragma once
// A serial port on a termios device, used only through the COMM module.
//
// Port n ("COM" & n) resolves to a device path: the link (or file)
// <home>/ports/COMn when it exists, dangling or not; otherwise COM1-COM4 are
// /dev/ttyS0-3, COM5-COM12 /dev/ttyUSB0-7, COM13-COM20 /dev/ttyACM0-7, and
// other numbers have no device. With the system ports switched off (the
// tests do that) only the ports folder counts.
//
// A port is free when nobody holds it the ways Linux serial programs hold
// one: a UUCP lock file LCK..<name> naming a live process in a lock folder
// (/var/lock and /run/lock; $QX_LOCK_DIRS, folders separated by ":",
// replaces them), the terminal's exclusive mode (TIOCEXCL, also honoured
// when running as root), or an flock on the device.
//
// available() only finds out whether a free port opens: it opens the device
// (O_RDWR | O_NOCTTY | O_NONBLOCK), checks the locks and closes it again,
// changing neither its line settings nor its modem lines. open() takes a
// free port for exclusive use: flock(LOCK_EX) and TIOCEXCL, held until
// close(); it changes no line setting either. setLine() is what makes the
// line raw (nothing translated, no echo, no flow control) with the given
// speed and framing; a device connection calls it. Reads never wait and
// return at most 64 bytes; writes give up after the write time-out
// (100 ms). A read that finds the far end gone (read returning 0, EIO,
// ENXIO, POLLHUP/POLLERR) closes the device and marks the port gone: later
// reads return nothing at once, without touching the device again.
#include <QString>

#include <cstddef>
#include <cstdint>

namespace qx {

class SerialPort {
public:
    static constexpr int ReadMax = 64;
    static constexpr int DefaultWriteTimeoutMs = 100;

    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort &) = delete;
    SerialPort &operator=(const SerialPort &) = delete;

    // The path that port n opens (see above); "" when n has none.
    static QString pathOf(int port);
    // For display: the path with links resolved, or pathOf() when it does
    // not resolve.
    static QString devicePathOf(int port);

    // Whether port paths also fall back to the system's devices (see
    // above); on unless switched off. The test programs switch it off so
    // that no test run touches a real serial port.
    static void setSystemPorts(bool on);
    static bool systemPorts();

    // True when path is a terminal that is free and opens now; nothing of
    // the device is changed and nothing stays open.
    static bool available(const QString &path);
    // True when a lock file in a lock folder names a live process as the
    // holder of the device behind path.
    static bool lockedByFile(const QString &path);

    // Opens path for exclusive use; false when it does not exist, is no
    // terminal, or is held by anyone. The line settings stay as they were.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // The far end hung up (set by read() / write()).
    bool gone() const { return gone_; }

    // Raw line with the platform codes: stopBits 0 = one, 1 = one and a half
    // (taken as two), 2 = two; parity 0 none, 1 odd, 2 even, 3 mark, 4
    // space. False (and nothing changed) when a value is not supported;
    // false also when the device refuses one of them (a pseudo-terminal
    // refuses parity): the line is raw with the rest then.
    bool setLine(int baud, int byteSize, int stopBits, int parity);
    // Reads return at once; writes give up after writeTimeoutMs.
    bool setTimeouts(int writeTimeoutMs = DefaultWriteTimeoutMs);

    // At most min(max, 64) bytes that have arrived; 0 when none (or gone).
    int read(uint8_t *buf, int max);
    // Writes n bytes, waiting at most the write time-out in all; the count
    // written.
    int write(const uint8_t *buf, int n);

private:
    void markGone();

    int fd_ = -1;
    bool gone_ = false;
    int writeTimeoutMs_ = DefaultWriteTimeoutMs;
};

} // namespace qx
