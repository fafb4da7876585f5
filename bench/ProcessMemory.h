#pragma once
// Memory figures of this process for the benchmarks, and measurements run in
// a fresh child process.
//
// reserved: the data segment (VmData: private writable mappings), all the
//   process holds from the system, touched or not (the allocator's heap,
//   its free space included, and memory mapped directly).
// resident: pages actually in memory (VmRSS); peak: its high-water mark
//   (VmHWM), which resetPeak() sets back to the present.
//
// A measurement that depends on fresh memory (first-touch page faults, the
// data segment growing) runs in a forked child: memory that an earlier run
// freed is not there to be reused, so every run sees what the first load in
// a fresh program would see.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace qx::bench {

struct MemoryFigures {
    double reserved = 0, resident = 0, peak = 0;
};

// One "Name:   123 kB" field of /proc/self/status, in bytes (0 when absent).
inline double statusBytes(const char *text, const char *name)
{
    const char *at = std::strstr(text, name);
    if (!at)
        return 0;
    return std::strtod(at + std::strlen(name), nullptr) * 1024;
}

inline MemoryFigures memoryNow()
{
    MemoryFigures m;
    char text[8192] = {};
    if (FILE *f = std::fopen("/proc/self/status", "r")) {
        const size_t n = std::fread(text, 1, sizeof text - 1, f);
        text[n] = 0;
        std::fclose(f);
    }
    m.reserved = statusBytes(text, "\nVmData:");
    m.resident = statusBytes(text, "\nVmRSS:");
    m.peak = statusBytes(text, "\nVmHWM:");
    return m;
}

// Sets the resident high-water mark back to the present resident size.
inline void resetPeak()
{
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t w = ::write(fd, "5", 1);
        ::close(fd);
    }
}

// CPU time of the calling thread, in seconds (user and system: page faults
// count).
inline double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Runs fn in a forked child and returns the figures it produced (empty when
// the child failed). fn must not use anything that needs other threads of
// this process: a forked child has only the calling thread.
template <class Fn>
std::vector<double> inChild(Fn &&fn)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const std::vector<double> out = fn();
        const char *p = reinterpret_cast<const char *>(out.data());
        size_t left = out.size() * sizeof(double);
        while (left > 0) {
            const ssize_t w = ::write(fds[1], p, left);
            if (w <= 0)
                ::_exit(1);
            p += w;
            left -= size_t(w);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::vector<double> out;
    if (pid > 0) {
        double v;
        size_t have = 0;
        char *p = reinterpret_cast<char *>(&v);
        for (;;) {
            const ssize_t r = ::read(fds[0], p + have, sizeof v - have);
            if (r <= 0)
                break;
            have += size_t(r);
            if (have == sizeof v) {
                out.push_back(v);
                have = 0;
            }
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            out.clear();
    }
    ::close(fds[0]);
    return out;
}

} // namespace qx::bench
