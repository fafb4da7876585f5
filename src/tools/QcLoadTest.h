#pragma once
// The step machine of the QC2.0 load test, without any window: the current
// lists built from the ticked boxes of each output level, and what each
// 2-second step records and does next.
//
// Levels 0, 1, 2 are the 5 V, 9 V and 12 V outputs. Box i of a level stands
// for (i + 1) x 0.5 A, except box 4 of the 5 V level, which stands for 2.2 A;
// a voltage under box i's current goes to grid column i + 2, the open-circuit
// voltage to column 1, all in the level's row (level + 1).
#include <QString>

#include <array>
#include <cstdint>
#include <span>

namespace qx::qc {

constexpr int LoadLevels = 3;
constexpr int ListSize = 6; // five boxes at most, then the end mark 0

struct LoadLevel {
    int row;                   // grid row
    const char *limit;         // the panel's limit text during the test
    std::span<const float> box; // A, the current of each box
};

// Level 0, 1 or 2; QxError(ErrSubscript) otherwise.
const LoadLevel &loadLevel(int level);

class LoadTest {
public:
    // The ticked currents of a level in box order, then 0 in every
    // remaining place; with each the grid column of its box.
    struct List {
        std::array<float, ListSize> cur{};
        std::array<int, ListSize> col{};
    };

    enum class Action { Start, Adjust, End };
    struct Step {
        int column = 0;       // grid column that receives the voltage; 0 none
        Action action = Action::End;
        float current = 0;    // A, for Start and Adjust
    };

    // Test: the lists of every level from its ticked boxes (bit i = box i),
    // and the open-circuit reading due first.
    void begin(const std::array<uint32_t, LoadLevels> &ticked);
    // One step at the given level: where the reading goes and what follows.
    Step tick(int level);

    const List &list(int level) const;
    int TestStep = 0; // index of the current to apply next; 0 while the open voltage is due

private:
    std::array<List, LoadLevels> lists_{};
};

} // namespace qx::qc
