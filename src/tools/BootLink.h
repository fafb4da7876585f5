#pragma once
// The boot-loader link of the firmware update: a serial port of its own
// (9600 baud, 8 data bits, even parity, one stop bit, opened through COMM
// like a device connection, so it cannot take a port that a connection
// holds) and the six boot-loader operations.
//
// Every step of an operation writes its bytes and waits for the reply while
// the event loop keeps running (timers tick, windows repaint, the main
// window goes on polling its devices). The reply timer Timer1 (2000 ms) ends
// a wait that gets no answer; the retry timer Timer2 (200 ms) paces the
// synchronisation tries.
//
// Bytes on the wire (k = reply bytes awaited):
//   BootSync      7F                                   k = 1
//   BootGet       00 FF                                k = 9 (byte 3: type code)
//   BootReadMem   11 EE | address frame | n-1, ~(n-1)  k = 1 | 1 | n + 1
//   BootWriteMem  31 CE | address frame | packet       k = 1 | 1 | 1
//   BootErase     43 BC | FF 00                        k = 1 | 1
//   BootGo        21 DE | address frame                k = 1 | 1
// Address frame: 00 00 hi lo (hi ^ lo). Write packet: n-1, n data bytes,
// checksum (see writeChecksum). A step succeeds when its reply starts with
// ACK (0x79); a reply that starts with anything else ends the wait at once.
//
// A step reads only its own reply: whatever is waiting on the port before
// the step writes is discarded, and exactly k bytes are taken as the reply,
// so a byte that comes after its step gave up never answers a later step.
//
// Failures: a reply that does not start with ACK fails the operation at
// once without a log line; no reply, or a reply too short for what the step
// reads, logs the operation's tag ("ErrCO" sync, "ErrGT" Get, "ErrRM" read,
// "ErrWM" write, "ErrEE" erase, "ErrGO" Go) through the error log.
//
// cancel() ends a wait at once (the window closes); from then on every
// operation fails at once without writing a byte or logging. One exchange at
// a time: an operation called while another one waits fails at once.
#include <QObject>

#include <array>
#include <functional>
#include <cstdint>
#include <span>
#include <vector>

class QEventLoop;
class QTimer;

namespace qx {

class BootLink : public QObject {
    Q_OBJECT
public:
    static constexpr uint8_t ACK = 0x79;
    static constexpr uint8_t SyncByte = 0x7F;
    static constexpr uint8_t VariantMask = 0xB3;
    static constexpr int BlockSize = 128;
    static constexpr int ReplyWaitMs = 2000;
    static constexpr int RetryPauseMs = 200;
    static constexpr int SyncTries = 3;
    static constexpr int VariantAddress = 0x4002;
    static constexpr int VariantAddressAlt = 0x1002; // types 25 and 26 when the first gives 0
    // Addresses are 16 bits: an image must end at or below this limit.
    static constexpr int AddressLimit = 0x10000;

    // Where the firmware starts (and Go jumps to): 0x8C00 for type code 26,
    // 0x9000 for every other type.
    static int startAddress(int bootType);
    // 00 00, bits 15-8, bits 7-0, XOR of the four.
    static std::array<uint8_t, 5> addressFrame(uint32_t addr);
    // Checksum of a write packet of the given data bytes: c = n - 1, then
    // c = 0xB3 ^ (d ^ c) for each byte d (the plain XOR for even n, the plain
    // XOR ^ 0xB3 for odd n).
    static uint8_t writeChecksum(std::span<const uint8_t> data);

    explicit BootLink(QObject *parent = nullptr);
    ~BootLink() override;

    // ---- the serial control ----
    // Opens COM port (exclusive) and sets 9600 8E1; false when it cannot be
    // opened.
    bool OpenPort(int port);
    void ClosePort();
    bool PortOpen() const { return handle_ != 0; }

    // ---- the operations (true on success) ----
    bool BootSync();
    bool BootGet();
    bool BootReadMem(uint32_t addr, int n);
    bool BootWriteMem(uint32_t addr, std::span<const uint8_t> data, int n);
    bool BootErase();
    bool BootGo();
    // Up to SyncTries tries of BootSync, a retry pause between them; sets
    // Synced on success.
    bool Synchronise();

    // ---- link state ----
    bool TimeOut = false;   // the current reply wait has run out
    bool RetryTick = false; // the retry pause has run out
    int BootType = 0;       // type code of the last Get
    int BootVariant = 0;    // variant of the last Get
    std::array<uint8_t, BlockSize> RdBuf{}; // data of the last Read Memory
    bool Synced = false;    // the boot loader answered the synchronisation byte

    QTimer *Timer1 = nullptr; // reply time-out, 2000 ms
    QTimer *Timer2 = nullptr; // retry pause, 200 ms, runs on once started
    void Timer1_Timer();
    void Timer2_Timer();

    // ---- exchange control ----
    // A reply wait or retry pause is running.
    bool busy() const { return loop_ != nullptr; }
    void cancel();
    bool cancelled() const { return cancelled_; }

private:
    // One step: discards waiting input, writes out, waits for k bytes;
    // returns at most k reply bytes.
    std::vector<uint8_t> exchange(std::span<const uint8_t> out, int k);
    // Runs the event loop until done() (or cancel); false when cancelled or
    // when another wait is running.
    bool waitUntil(const std::function<bool()> &done);
    void endWaitWhenDone();
    void pull();
    bool write(std::span<const uint8_t> out);
    // First byte ACK; no reply logs tag ("no reply to " + what).
    bool acked(const std::vector<uint8_t> &reply, const char *tag, const QString &what);
    // The two command bytes; then, with an address, its frame.
    bool command(uint8_t cmd, const char *tag);
    bool commandAndAddress(uint8_t cmd, uint32_t addr, const char *tag);
    bool readVariant(uint32_t addr);

    int32_t handle_ = 0;
    std::vector<uint8_t> in_; // bytes read from the port, not yet taken
    QEventLoop *loop_ = nullptr;
    std::function<bool()> waitDone_;
    QTimer *poll_ = nullptr;
    bool cancelled_ = false;
};

} // namespace qx
