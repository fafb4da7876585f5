#include "curves/PointStore.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace qx::curves {

namespace {

size_t pagePoints()
{
    static const size_t n = [] {
        const long page = ::sysconf(_SC_PAGESIZE);
        return std::max<size_t>(page > 0 ? size_t(page) / sizeof(DataPoint) : 0, 1);
    }();
    return n;
}

// n points rounded up to whole pages; 0 when that does not fit a size_t.
size_t toPages(size_t n)
{
    const size_t per = pagePoints();
    if (n > std::numeric_limits<size_t>::max() / sizeof(DataPoint) - per)
        return 0;
    return (n + per - 1) / per * per;
}

// Growth beyond the points asked for: a thirty-second of what is held, so
// the memory held stays within about 3 % of the points and a store growing
// point by point is enlarged some 200 times on its way to 1e7 points.
constexpr size_t SpareShare = 32;

} // namespace

PointStore::PointStore(const PointStore &other)
{
    *this = other;
}

PointStore &PointStore::operator=(const PointStore &other)
{
    if (this == &other)
        return *this;
    PointStore copy;
    const size_t used = std::min(other.size_, other.held_);
    if (used > 0) {
        copy.reserve(used);
        std::memcpy(copy.p_, other.p_, used * sizeof(DataPoint));
    }
    copy.size_ = other.size_;
    *this = std::move(copy);
    return *this;
}

PointStore::PointStore(PointStore &&other) noexcept
    : p_(std::exchange(other.p_, nullptr)), held_(std::exchange(other.held_, 0)), size_(std::exchange(other.size_, 0))
{
}

PointStore &PointStore::operator=(PointStore &&other) noexcept
{
    if (this != &other) {
        release();
        p_ = std::exchange(other.p_, nullptr);
        held_ = std::exchange(other.held_, 0);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

PointStore::~PointStore() { release(); }

void PointStore::release()
{
    if (p_)
        ::munmap(p_, held_ * sizeof(DataPoint));
    p_ = nullptr;
    held_ = 0;
}

void PointStore::hold(size_t n, bool spare)
{
    size_t want = n;
    if (spare && held_ > 0)
        want = std::max(want, held_ + held_ / SpareShare);
    const size_t points = toPages(want);
    if (points == 0)
        throw std::bad_alloc();
    void *q = p_ ? ::mremap(p_, held_ * sizeof(DataPoint), points * sizeof(DataPoint), MREMAP_MAYMOVE)
                 : ::mmap(nullptr, points * sizeof(DataPoint), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (q == MAP_FAILED)
        throw std::bad_alloc();
    p_ = static_cast<DataPoint *>(q);
    held_ = points;
}

void PointStore::resize(size_t n)
{
    // Held points from size() on are zero: what is cut off is cleared.
    if (n < size_ && n < held_)
        std::memset(static_cast<void *>(p_ + n), 0, (std::min(size_, held_) - n) * sizeof(DataPoint));
    size_ = n;
}

void PointStore::shrink_to_fit()
{
    const size_t keep = toPages(std::min(size_, held_));
    if (keep >= held_)
        return;
    if (keep == 0) {
        release();
        return;
    }
    // Shrinking a mapping in place cannot fail for want of room.
    void *q = ::mremap(p_, held_ * sizeof(DataPoint), keep * sizeof(DataPoint), 0);
    if (q == MAP_FAILED)
        return;
    held_ = keep;
}

void PointStore::clear()
{
    release();
    size_ = 0;
}

} // namespace qx::curves
