#include "link/PortWatch.h"

#include "link/COMM.h"

#include <fcntl.h>
#include <unistd.h>

namespace qx {

PortWatch::PortWatch(QObject *parent) : QObject(parent)
{
    notifier_.setEnabled(false);
    connect(&notifier_, &QSocketNotifier::activated, this, [this] { Q_EMIT Ready(); });
    poll_.setSingleShot(true);
    connect(&poll_, &QTimer::timeout, this, [this] {
        resting_ = false;
        if (fd_ < 0 && active_ && !held_)
            Q_EMIT Ready(); // no descriptor: the poll is the trigger
        arm();
    });
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { Q_EMIT Overdue(); });
}

PortWatch::~PortWatch() { stop(); }

void PortWatch::start(int32_t h)
{
    stop();
    const int fd = COMM::PortDescriptor(h);
    fd_ = fd < 0 ? -1 : ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (fd_ >= 0)
        notifier_.setSocket(fd_);
    active_ = true;
    arm();
}

void PortWatch::stop()
{
    // The notifier lets go of the descriptor before it is closed.
    notifier_.setEnabled(false);
    poll_.stop();
    deadline_.stop();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    active_ = held_ = resting_ = false;
}

void PortWatch::hold()
{
    held_ = true;
    arm();
}

void PortWatch::release()
{
    held_ = false;
    arm();
}

void PortWatch::rest(int ms)
{
    if (!active_)
        return;
    resting_ = true;
    poll_.start(ms);
    arm();
}

void PortWatch::expect(int ms)
{
    if (active_ && !deadline_.isActive())
        deadline_.start(ms);
}

// Enables the one trigger that the state calls for.
void PortWatch::arm()
{
    const bool on = active_ && !held_ && !resting_;
    if (fd_ >= 0) {
        if (notifier_.isEnabled() != on)
            notifier_.setEnabled(on);
        return;
    }
    if (on && !poll_.isActive())
        poll_.start(PollMs);
    else if (!on && !resting_)
        poll_.stop();
}

} // namespace qx
