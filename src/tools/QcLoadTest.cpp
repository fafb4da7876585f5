#include "tools/QcLoadTest.h"

#include "platform/QxError.h"

namespace qx::qc {

namespace {

constexpr float Box5V[] = {0.5f, 1.0f, 1.5f, 2.0f, 2.2f};
constexpr float Box9V[] = {0.5f, 1.0f, 1.5f, 2.0f};
constexpr float Box12V[] = {0.5f, 1.0f, 1.5f};

const LoadLevel Levels[LoadLevels] = {
    {1, "04.00", Box5V},
    {2, "08.00", Box9V},
    {3, "11.00", Box12V},
};

int checked(int level)
{
    if (level < 0 || level >= LoadLevels)
        raise(ErrSubscript);
    return level;
}

} // namespace

const LoadLevel &loadLevel(int level) { return Levels[checked(level)]; }

const LoadTest::List &LoadTest::list(int level) const { return lists_[size_t(checked(level))]; }

void LoadTest::begin(const std::array<uint32_t, LoadLevels> &ticked)
{
    for (int l = 0; l < LoadLevels; ++l) {
        List out;
        size_t n = 0;
        const std::span<const float> box = Levels[l].box;
        for (size_t i = 0; i < box.size(); ++i) {
            if (ticked[size_t(l)] & (1u << i)) {
                out.cur[n] = box[i];
                out.col[n] = int(i) + 2;
                ++n;
            }
        }
        lists_[size_t(l)] = out;
    }
    TestStep = 0;
}

LoadTest::Step LoadTest::tick(int level)
{
    const List &l = list(level);
    const auto at = [&](int k) { return k >= 0 && k < ListSize ? l.cur[size_t(k)] : 0.0f; };
    Step s;
    if (TestStep == 0) {
        s.column = 1;
    } else if (at(TestStep - 1) > 0) {
        s.column = l.col[size_t(TestStep - 1)];
    }
    const float next = at(TestStep);
    if (next > 0) {
        s.action = TestStep == 0 ? Action::Start : Action::Adjust;
        s.current = next;
        ++TestStep;
    } else {
        s.action = Action::End;
    }
    return s;
}

} // namespace qx::qc
