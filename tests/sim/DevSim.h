#pragma once
// A simulated device on a pseudo-terminal, for end-to-end tests, the demo
// and manual work (program qx-devsim).
//
//   qx::test::TempHome home;
//   qx::sim::DevSim sim({.home = home.path(), .com = 3, .type = 10, .firmware = 320});
//   ASSERT_TRUE(sim.start());          // <home>/ports/COM3 -> /dev/pts/N
//   ... the program opens COM3 and sends its connect frame ...
//   ASSERT_TRUE(sim.waitForCommand(qx::Frames::OpConnect, 2000));
//   sim.faultBadChecksum(2);           // the next two frames are spoiled
//   auto sent = sim.commands();        // every command frame received
//
// start() opens a pseudo-terminal in raw mode, links it as <home>/ports/COMn
// (replacing a stale link) and runs a background thread that reads command
// frames, advances the simulation (SimDevice.h) and sends one frame per
// channel at `rate` Hz while connected. stop() (and the destructor) ends the
// thread, closes the terminal and removes the link when it is still ours.
// Every wait takes a deadline; nothing here blocks without one.
//
// Faults act on the frames as they leave, in this order: stray end marker
// and noise before the frame, then a spoiled checksum, a cut-off frame
// (start marker and ten bytes, no end) or an extra byte before the end.
//
// control() understands one line of the small command language that the
// program reads from its standard input:
//   badsum N | truncate N | overlong N | stray N | noise N   spoil the next N frames
//   silent on|off        stop / resume sending
//   hangup               close the terminal (the far end sees a hang-up)
//   speed X              simulated seconds per real second (0 to MaxSpeed)
//   soc F [CH]           battery state of charge 0..1
//   status               one line: connected, and per channel state and readings
//   help
#include "SimDevice.h"
#include "SimPty.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace qx::sim {

// Limits of the options and the command language's numbers; the program
// refuses values outside them, the class clamps them.
inline constexpr double MinRate = 0.1;      // frames per second and channel
inline constexpr double MaxRate = 1000;
inline constexpr double MaxSpeed = 10000;   // simulated seconds per real second
inline constexpr int MaxFaultCount = 1000000;

struct DevSimOptions {
    QString home;         // the folder whose ports/COMn link is made ("" = no link)
    int com = 3;
    int type = 10;        // type code 1..99
    int firmware = 320;   // version x 100
    double rate = 4;      // frames per second and channel
    double speed = 1;     // simulated seconds per real second
    unsigned seed = 1;    // for noise bytes
    int paramFrames = 2;  // parameter frames per channel after each connect
};

class DevSim {
public:
    explicit DevSim(DevSimOptions options);
    ~DevSim();
    DevSim(const DevSim &) = delete;
    DevSim &operator=(const DevSim &) = delete;

    // Opens the terminal, makes the link and starts the thread; false (with
    // error() saying why) when any of it fails.
    bool start();
    void stop();
    QString error() const { return error_; }

    QString slavePath() const { return pty_.slavePath(); } // the device path, e.g. /dev/pts/5
    QString linkPath() const { return pty_.linkPath(); }   // <home>/ports/COMn, "" without home
    const DevSimOptions &options() const { return opt_; }

    // --- what the program sent ---
    std::vector<SimCommand> commands() const;
    void clearCommands();
    // Waits until `count` valid commands with operation op have arrived in
    // all (since start or clearCommands); false at the deadline.
    bool waitForCommand(int op, int timeoutMs, int count = 1);
    // Waits until `count` more frames have been sent than when called.
    bool waitFramesSent(int count, int timeoutMs);
    int framesSent() const { return framesSent_.load(); }

    // --- faults ---
    void faultBadChecksum(int n);
    void faultTruncate(int n);
    void faultOverlong(int n);
    void faultStrayEnd(int n);
    void faultNoise(int n);
    void setSilent(bool on);
    void hangUp();
    bool hungUp() const { return hungUp_.load(); }

    // --- the device ---
    // Runs f on the device under the simulation lock (read or change it).
    void withDevice(const std::function<void(SimDevice &)> &f);
    SimChannel channel(int ch) const;
    bool connected() const;
    void setSpeed(double simSecondsPerSecond);

    // One line of the command language; returns the reply ("" = ok).
    QString control(const QString &line);

private:
    void run();
    void readCommands();
    void sendFrames();
    void closeFds();
    void addFault(int &counter, int n);

    DevSimOptions opt_;
    QString error_;
    SimPty pty_;

    mutable std::mutex lock_;
    std::condition_variable changed_;
    SimDevice dev_;
    std::vector<SimCommand> received_;
    std::vector<uint8_t> inFrame_; // command bytes after a start marker
    bool inActive_ = false;
    int badSum_ = 0, truncate_ = 0, overlong_ = 0, stray_ = 0, noise_ = 0;
    bool silent_ = false;
    std::mt19937 rng_;

    std::atomic<bool> stop_{false};
    std::atomic<bool> hungUp_{false};
    std::atomic<int> framesSent_{0};
    std::thread thread_;
};

} // namespace qx::sim
