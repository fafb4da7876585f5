#pragma once
// A disk that is full from a given file size on, for this process: while a
// FullDisk lives, no regular file grows past `bytes` bytes; a write that
// would fails as on a full disk (with EFBIG, "File too large", where a full
// disk says ENOSPC), at the same place: a buffered write succeeds and its
// flush fails. Needs no privileges and no file system of its own. Pipes,
// terminals and sockets are not limited, so ports and the test's output go
// on. Files already longer keep their bytes; only their growth fails.
#include <csignal>
#include <sys/resource.h>

namespace qx::test {

class FullDisk {
public:
    explicit FullDisk(rlim_t bytes = 0)
    {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        // A write past the limit raises SIGXFSZ, which would end the process.
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = previous_;
        r.rlim_cur = bytes;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &r) == 0;
    }
    ~FullDisk()
    {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;
    bool ok() const { return ok_; }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_DFL;
    bool ok_ = false;
};

} // namespace qx::test
