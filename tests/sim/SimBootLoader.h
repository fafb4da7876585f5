#pragma once
// A simulated device boot loader on a pseudo-terminal, for end-to-end tests
// of the firmware update and for the update demo.
//
//   qx::test::TempHome home;
//   qx::sim::SimBootLoader boot({.home = home.path(), .com = 3, .type = 10, .variant = 310});
//   ASSERT_TRUE(boot.start());                  // <home>/ports/COM3 -> /dev/pts/N
//   boot.addFault({.kind = BootFaultKind::Nack, .command = 0x31, .step = 3, .nth = 2});
//   ... the program identifies and updates ...
//   boot.hostBytes();                           // everything the program sent
//   boot.memory(0x9000, 12120);                 // what is in the device now
//
// The boot loader waits for the synchronisation byte 0x7F (answered with
// ACK 0x79, also later on), then takes commands as a byte and its complement
// (a pair that is not complementary, or an unknown command, gets NACK 0x1F):
//   00 FF  Get: 79 05 <version> <type code> 11 21 31 43 79
//   11 EE  Read Memory: ACK, address frame ACK, count N ~N: ACK + N+1 bytes
//   31 CE  Write Memory: ACK, address frame ACK, packet N, N+1 bytes,
//          checksum (c = N, then c = 0xB3 ^ d ^ c per byte): ACK
//   43 BC  Erase: ACK, FF 00 (erase all): ACK
//   21 DE  Go: ACK, address frame ACK; then it answers nothing more
// Address frame: 00 00 hi lo (hi ^ lo). A bad frame, checksum, count or
// address gets NACK and ends the command.
//
// Memory (64 KB): the firmware area from appStart to 0xFFFF first holds an
// old firmware (0x5A); erase all fills it with 0xFF; a write programs like
// flash (each byte ANDed into the cell) and only inside the firmware area;
// reads reach all of it. The variant is kept masked with 0xB3 at 0x4002, or
// at 0x1002 with 0x4002 holding 0 (variantAtAlt).
//
// Faults hit one step of one command: the nth time the step is reached (and
// the count - 1 times after it) the reply is replaced by NACK, left out
// (Silent: the command is dropped), sent delayMs late (Late: the command
// takes effect), cut to its first `keep` bytes (Short), or its data has its
// last byte inverted (CorruptRead, read step 3).
// Steps: 0x7F step 1 (sync), 0x00 step 1, 0x11 / 0x31 steps 1-3, 0x43 steps
// 1-2, 0x21 steps 1-2.
#include "SimPty.h"

#include <QString>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace qx::sim {

enum class BootFaultKind { Nack, Silent, Late, CorruptRead, Short };

struct BootFault {
    BootFaultKind kind = BootFaultKind::Nack;
    uint8_t command = 0x7F; // 0x7F stands for the synchronisation byte
    int step = 1;
    int nth = 1;
    int count = 1;
    int delayMs = 0; // Late
    int keep = 0;    // Short: bytes of the reply that are sent
};

struct BootSimOptions {
    QString home = {};         // the folder whose ports/COMn link is made ("" = no link)
    int com = 3;
    int type = 10;             // type code in the Get reply
    int variant = 310;
    bool variantAtAlt = false; // the variant is at 0x1002, 0x4002 holds 0
    int version = 0x10;        // boot loader version in the Get reply
    int appStart = -1;         // firmware area; -1: 0x8C00 for type 26, else 0x9000
    int bytesPerSecond = 0;    // reply pace; 0 = at once (873 is 9600 baud 8E1)
};

// One run of bytes in one direction.
struct BootChunk {
    bool fromHost = false;
    std::vector<uint8_t> bytes;
};

class SimBootLoader {
public:
    static constexpr uint8_t ACK = 0x79;
    static constexpr uint8_t NACK = 0x1F;
    static constexpr uint8_t OldFirmware = 0x5A;

    explicit SimBootLoader(BootSimOptions options);
    ~SimBootLoader();
    SimBootLoader(const SimBootLoader &) = delete;
    SimBootLoader &operator=(const SimBootLoader &) = delete;

    bool start();
    void stop();
    QString error() const { return error_; }
    QString slavePath() const { return pty_.slavePath(); }
    const BootSimOptions &options() const { return opt_; }
    int appStart() const { return appStart_; }

    void addFault(const BootFault &f);

    // The wire in both directions, consecutive bytes of one side joined.
    std::vector<BootChunk> transcript() const;
    // The program's bytes, in order.
    std::vector<uint8_t> hostBytes() const;
    void clearTranscript();

    std::vector<uint8_t> memory(int addr, int n) const;
    bool synced() const;
    int goAddress() const; // -1 until Go was acknowledged
    int erases() const;    // erase-all commands carried out

private:
    enum class St { Unsynced, Idle, Cmd2, Addr, Count, WrLen, WrData, EraseArg, Started };
    using Clock = std::chrono::steady_clock;
    struct Out {
        Clock::time_point due;
        uint8_t byte;
    };

    void run();
    void feed(uint8_t b);
    // Sends reply for (cmd, step) unless a fault says otherwise; runs effect
    // first when the command takes effect. False when the command ends here.
    template <class Effect>
    bool answer(uint8_t cmd, int step, std::vector<uint8_t> reply, Effect effect);
    void send(const std::vector<uint8_t> &bytes, int delayMs);
    void flushDue();
    void record(bool fromHost, uint8_t b);

    BootSimOptions opt_;
    int appStart_;
    QString error_;
    SimPty pty_;

    mutable std::mutex lock_;
    St st_ = St::Unsynced;
    uint8_t cmd_ = 0;
    uint32_t addr_ = 0;
    int need_ = 0;
    std::vector<uint8_t> acc_;
    std::array<uint8_t, 0x10000> mem_{};
    bool synced_ = false;
    int goAddress_ = -1;
    int erases_ = 0;
    std::vector<BootFault> faults_;
    std::map<int, int> reached_; // (cmd << 4 | step) -> times reached
    std::deque<Out> out_;
    std::vector<BootChunk> transcript_;

    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace qx::sim
