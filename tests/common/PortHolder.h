#pragma once
// Another process holding a port through the program's own port layer, as
// a running copy of the program does while connected, until the test kills
// it with SIGKILL: no close, no clean-up, whatever the layer left on the
// terminal stays. The pseudo-terminal itself (its far end, the slave side a
// device or a serial bridge keeps open) lives on in the test.
#include "link/COMM.h"

#include <functional>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace qx::test {

class PortHolder {
public:
    PortHolder() = default;
    ~PortHolder() { kill(); }
    PortHolder(const PortHolder &) = delete;
    PortHolder &operator=(const PortHolder &) = delete;

    // Starts the holder: it opens port com, sets the line up as Connect
    // does and runs then(h) (frames it sends, say); true once it holds the
    // port and then returned true.
    bool start(int com, const std::function<bool(int32_t h)> &then = {})
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return false;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            int32_t h = COMM::OpenComm(com);
            char ok = 0;
            if (h != 0) {
                COMM::SetCommParams(h, 9600, 8, 0, 2);
                ok = !then || then(h) ? 1 : 0;
            }
            if (::write(ready[1], &ok, 1) != 1)
                ::_exit(1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char ok = 0;
        const bool told = pid_ > 0 && ::read(ready[0], &ok, 1) == 1;
        ::close(ready[0]);
        if (!told || !ok) {
            kill();
            return false;
        }
        return true;
    }
    // SIGKILL, as a crash or kill -9 ends a program, and the process reaped.
    void kill()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

} // namespace qx::test
