#pragma once
// What wakes a device's receive routine: its port becoming readable (bytes
// came, or the far end hung up), instead of a poll every 50 ms whether or
// not a byte came. A connected device that stays silent costs no wake-up at
// all.
//
// The watch keeps a duplicate of the port's descriptor (COMM::PortDescriptor)
// until stop(): the serial layer closes its own descriptor as soon as a read
// or a write finds the port gone, and the duplicate goes on reporting that
// hang-up, so the receive routine still learns of it. A port without a
// descriptor is polled every 50 ms instead.
//
// Ready comes again as long as the port stays readable: the receive routine
// reads once per Ready. hold() keeps Ready back while a read is still being
// processed (a nested event loop below it) and release() lets it come again;
// rest(ms) keeps it back for a while (a Ready after which the read found
// nothing, so that a descriptor that stays readable without bytes never
// spins).
//
// expect(ms) arms a deadline that raises Overdue once, unless it is armed
// already; the silence watch re-arms it from its handler.
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdint>

namespace qx {

class PortWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int PollMs = 50;

    explicit PortWatch(QObject *parent = nullptr);
    ~PortWatch() override;

    // Starts watching COMM port handle h (stopping a watch before); the
    // first Ready comes at once when bytes are waiting.
    void start(int32_t h);
    // Ends the watch and the deadline; the duplicate descriptor is closed.
    void stop();
    // Watching a port (held, resting or not).
    bool isActive() const { return active_; }

    void hold();
    void release();
    void rest(int ms);

    void expect(int ms);
    bool expecting() const { return deadline_.isActive(); }

Q_SIGNALS:
    void Ready();
    void Overdue();

private:
    void arm();

    QSocketNotifier notifier_{QSocketNotifier::Read};
    QTimer poll_;     // ports without a descriptor, and the end of a rest
    QTimer deadline_;
    int fd_ = -1;
    bool active_ = false;
    bool held_ = false;
    bool resting_ = false;
};

} // namespace qx
