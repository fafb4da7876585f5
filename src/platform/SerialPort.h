#pragma once
// A serial port on a termios device, used only through the COMM module.
//
// Port n ("COM" & n) resolves to a device path: the link (or file)
// <home>/ports/COMn when it exists, dangling or not; otherwise COM1-COM4 are
// /dev/ttyS0-3, COM5-COM12 /dev/ttyUSB0-7, COM13-COM20 /dev/ttyACM0-7, and
// other numbers have no device. With the system ports switched off (the
// tests do that) only the ports folder counts.
//
// A port is free when no live holder has it: a UUCP lock file LCK..<name>
// naming a live process in a lock folder (/var/lock and /run/lock;
// $QX_LOCK_DIRS, folders separated by ":", replaces them) or an flock on the
// device (also honoured when running as root). The terminal's exclusive
// mode (TIOCEXCL) is no hold on its own: it belongs to the terminal, not to
// an open, and outlives a program killed while something else (the far end
// of a pseudo-terminal, a serial bridge, another program) keeps the
// terminal open. A flag without a live holder beside it is a crashed
// program's leftover: open() clears it. (A user other than root cannot even
// open a terminal in exclusive mode: that port shows as held.)
//
// check() and available() only find out whether a free port opens: they
// open the device (O_RDWR | O_NOCTTY | O_NONBLOCK), check the locks and
// close it again, changing neither its line settings nor its modem lines
// nor a leftover exclusive mode. open() takes a free port for exclusive
// use with flock(LOCK_EX), held until close() or the end of the process;
// it changes no line setting either. setLine() is what makes the
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

    // What an open of a port would find now.
    enum class Access {
        Free,         // a terminal nobody holds: it opens
        Missing,      // no such device (a dangling link, no hardware behind the node)
        NotTerminal,  // opens, but is no terminal
        Held,         // a live holder has it (lock file, flock; for a user
                      // other than root also exclusive mode)
        NoPermission, // the device exists but this user may not open it
        Failed,       // any other failure of the open
    };
    // What an open of path finds now; nothing of the device is changed and
    // nothing stays open.
    static Access check(const QString &path);
    static bool available(const QString &path) { return check(path) == Access::Free; }
    // Who may open the device behind path, for a refused open: "group
    // dialout" when its group may read and write it, else "owner root" when
    // its owner may, else its mode ("mode 000"); "" when it cannot be seen.
    static QString whoMayOpen(const QString &path);
    // True when a lock file in a lock folder names a live process as the
    // holder of the device behind path.
    static bool lockedByFile(const QString &path);

    // Opens path for exclusive use; false when it does not exist, is no
    // terminal, or is held by anyone. The line settings stay as they were;
    // a leftover exclusive mode is cleared.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // The far end hung up (set by read() / write()).
    bool gone() const { return gone_; }
    // The open device's descriptor, for a readiness watch; -1 when closed.
    int descriptor() const { return fd_; }

    // Raw line with the platform codes: stopBits 0 = one, 1 = one and a half
    // (taken as two), 2 = two; parity 0 none, 1 odd, 2 even, 3 mark, 4
    // space. False (and nothing changed) when a value is not supported;
    // false also when the device refuses one of them (a pseudo-terminal
    // refuses parity): the line is raw with the rest then.
    bool setLine(int baud, int byteSize, int stopBits, int parity);
    // Reads return at once; writes give up after writeTimeoutMs.
    bool setTimeouts(int writeTimeoutMs = DefaultWriteTimeoutMs);
    // Drops what has arrived and not been read (tcflush TCIFLUSH): a link
    // starts with an empty input, not with what queued up while nobody read.
    bool flushInput();

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
