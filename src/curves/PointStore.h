#pragma once
// The points of one curve, in one block of memory of their own.
//
// A store has size() points. The first capacity() of them are held in
// memory; any beyond read as zero and take memory only once written, so the
// spare points that the chart's slot model keeps cost nothing. The block is
// mapped from the system and grows by small steps (a page while the store is
// small, a thirty-second of it beyond): the system enlarges the mapping or
// moves its pages, the points are never copied, and the memory held stays
// within a few percent of the points in it at every size. Letting the store
// go gives the whole block back to the system.
#include <cstddef>

namespace qx::curves {

struct DataPoint {
    float x = 0;
    float y = 0;
};

class PointStore {
public:
    PointStore() = default;
    PointStore(const PointStore &other);
    PointStore &operator=(const PointStore &other);
    PointStore(PointStore &&other) noexcept;
    PointStore &operator=(PointStore &&other) noexcept;
    ~PointStore();

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Points held in memory (from 0); the rest read as zero.
    size_t capacity() const { return held_; }
    // The held points; null when none are.
    const DataPoint *data() const { return p_; }
    DataPoint *data() { return p_; }

    DataPoint operator[](size_t i) const { return i < held_ ? p_[i] : DataPoint{}; }
    DataPoint back() const { return (*this)[size_ - 1]; }

    // Point i (below size()) becomes d. These and every call below that can
    // grow the store throw std::bad_alloc when the memory cannot be had,
    // leaving the store as it was.
    void set(size_t i, DataPoint d)
    {
        if (i >= held_)
            hold(i + 1, true);
        p_[i] = d;
    }
    void push_back(DataPoint d)
    {
        set(size_, d);
        ++size_;
    }
    // n points: new ones read as zero, ones cut off are forgotten (zero
    // again should the store grow back over them). Takes no memory.
    void resize(size_t n);
    // Holds at least n points in memory, no more than a page beyond them.
    void reserve(size_t n)
    {
        if (n > held_)
            hold(n, false);
    }
    // Gives back the memory beyond the page holding point size() - 1.
    void shrink_to_fit();
    // No points, no memory.
    void clear();

private:
    // Holds at least n > held_ points: exactly (to the page) or with room to
    // grow on.
    void hold(size_t n, bool spare);
    void release();

    DataPoint *p_ = nullptr;
    size_t held_ = 0;
    size_t size_ = 0;
};

} // namespace qx::curves
