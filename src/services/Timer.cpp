#include "services/Timer.h"

#include "services/State.h"
#include "platform/PeriodicTimer.h"
#include "platform/Second.h"

namespace qx::Timer {

void TickOn(int Index, int chn) { TickFlag[Index][chn].store(1); }

void TickOff(int Index, int chn) { TickFlag[Index][chn].store(0); }

void TickStart(int Index, int chn)
{
    Counter &id = TickId[Index][chn];
    if (id.load() != 0)
        return;
    id.store(startPeriodic(secondMs(), &TickProc, intptr_t(Index) * 10 + chn));
}

void TickStop(int Index, int chn)
{
    Counter &id = TickId[Index][chn];
    const int32_t running = id.load();
    if (running == 0)
        return;
    killPeriodic(running);
    id.store(0);
}

void TickProc(int32_t id, intptr_t user)
{
    const intptr_t Index = user / 10, chn = user % 10;
    // Only TickStart makes user values; anything else is not ours to count.
    if (Index < 0 || Index >= DevSlots || chn < 0 || chn >= ChnSlots)
        return;
    const int i = int(Index), c = int(chn);
    TotalSecs[i][c].fetch_add(1);
    if (TickFlag[i][c].load() == 1)
        TestSecs[i][c].fetch_add(1);
    if (TickId[i][c].load() == 0)
        killPeriodic(id);
}

} // namespace qx::Timer
