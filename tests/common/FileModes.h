#pragma once
// File modes as an ordinary user meets them, also when the tests run as
// root: while a FileModesApply lives, the calling thread has root's
// CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH out of its effective set, so an
// open of a node whose mode denies the caller fails with the real EACCES.
// Capabilities belong to a thread: the program's other threads keep theirs.
// For a user other than root nothing needs to change.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qx::test {

class FileModesApply {
public:
    FileModesApply()
    {
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        changed_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~FileModesApply()
    {
        if (changed_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    FileModesApply(const FileModesApply &) = delete;
    FileModesApply &operator=(const FileModesApply &) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool changed_ = false;
};

} // namespace qx::test
