#include "SimModels.h"

namespace qx::sim {

namespace {

using Modes = std::vector<std::string>;

const Modes ListA{"D-CC", "C-NiMh", "C-NiCD", "C-Liion", "C-LiFe", "C-VRLA", "C-CV"};
const Modes ListB{"D-CC", "D-CP", "C-NiMh", "C-NiCD", "C-LiPo", "C-LiFe", "C-PB", "C-CV", "DC5V"};
const Modes ListC{"D-CC", "D-CP", "C-NiMh", "C-NiCD", "C-LiPo", "C-LiFe", "C-PB", "C-CV"};
const Modes ListD{"D-CC", "D-CP", "C-CV"};
const Modes ListE{"D-CC", "C-CV"};
const Modes ListF{"D-CC", "D-CP", "C-CV", "Meter", "D-CV"};
const Modes ListG{"D-CC", "D-CP"};
const Modes ListH{"D-CC"};
const Modes ListI{"D-CC", "Meter"};
const Modes ListJ{"D-CC", "D-CV"};
const Modes ListK{"Meter"};

struct Row {
    int type;
    const Modes *modes;
    double maxCur, maxVol;
    int curScale, volScale, pwrScale, lastDis, lastChg;
    bool cv, temp;
};

// clang-format off
const Row Rows[] = {
    {1, &ListA, 5, 15, 100, 100, 1, 0, 6, false, true},
    {2, &ListA, 5, 20, 100, 100, 1, 0, 6, false, true},
    {3, &ListA, 10, 15, 100, 100, 1, 0, 6, false, true},
    {4, &ListA, 10, 30, 100, 100, 1, 0, 6, false, true},
    {5, &ListB, 5, 30, 1000, 100, 10, 1, 7, true, false},
    {6, &ListC, 10, 30, 100, 100, 1, 1, 7, true, false},
    {7, &ListD, 10, 30, 100, 100, 1, 1, 2, true, false},
    {8, &ListE, 10, 20, 100, 100, 1, 0, 1, true, false},
    {9, &ListD, 20, 30, 100, 100, 1, 1, 2, true, false},
    {10, &ListD, 40, 5, 100, 100, 1, 1, 2, true, false},
    {11, &ListF, 10, 30, 100, 100, 1, 4, 4, false, true},
    {12, &ListF, 10, 99, 100, 100, 1, 4, 4, false, true},
    {13, &ListF, 30, 30, 100, 100, 1, 4, 4, false, true},
    {14, &ListF, 30, 60, 100, 100, 1, 4, 4, false, true},
    {15, &ListF, 10, 30, 100, 100, 1, 4, 4, false, true},
    {16, &ListF, 15, 30, 100, 100, 1, 4, 4, false, true},
    {17, &ListG, 2.5, 15, 1000, 1000, 10, 1, 1, false, false},
    {18, &ListG, 5, 15, 1000, 1000, 10, 1, 1, false, false},
    {19, &ListG, 20, 30, 100, 100, 1, 1, 1, false, false},
    {20, &ListG, 10, 30, 100, 100, 1, 1, 1, false, false},
    {21, &ListH, 10, 100, 100, 100, 1, 0, 0, false, false},
    {22, &ListH, 15, 70, 100, 100, 1, 0, 0, false, false},
    {23, &ListH, 10, 88, 100, 100, 1, 0, 0, false, false},
    {24, &ListH, 2.5, 15, 1000, 100, 1, 0, 0, false, false},
    {25, &ListH, 3, 20, 1000, 100, 1, 0, 0, false, false},
    {26, &ListI, 4, 21, 1000, 100, 1, 0, 0, false, false},
    {27, &ListH, 20, 90, 100, 100, 1, 0, 0, false, false},
    {28, &ListE, 20, 90, 100, 100, 1, 0, 1, true, false},
    {29, &ListE, 50, 20, 100, 100, 1, 0, 1, true, false},
    {30, &ListH, 40, 90, 100, 100, 1, 0, 0, false, false},
    {31, &ListH, 50, 30, 100, 100, 1, 0, 0, false, false},
    {32, &ListH, 40, 30, 100, 100, 1, 0, 0, false, false},
    {33, &ListH, 30, 60, 100, 100, 1, 0, 0, false, false},
    {34, &ListH, 100, 150, 100, 100, 1, 0, 0, false, false},
    {35, &ListG, 1, 30, 1000, 100, 10, 1, 1, false, false},
    {36, &ListD, 1, 30, 1000, 100, 10, 1, 2, true, false},
    {37, &ListD, 100, 5, 100, 100, 1, 1, 2, true, true},
    {38, &ListH, 100, 5, 100, 100, 1, 0, 0, false, false},
    {39, &ListE, 30, 90, 100, 100, 1, 0, 0, false, false},
    {40, &ListE, 50, 30, 1000, 100, 1, 0, 1, true, false},
    {41, &ListJ, 5, 100, 1000, 100, 1, 2, 0, false, false},
    {42, &ListH, 3, 14, 1000, 100, 1, 0, 0, false, true},
    {51, &ListK, 10, 30, 100, 100, 1, 0, 0, false, false},
};
// clang-format on

} // namespace

SimModel simModel(int type, int firmware)
{
    SimModel m;
    m.type = type;
    m.firmware = firmware;
    m.modes = ListH; // types without a row of their own
    for (const Row &r : Rows) {
        if (r.type != type)
            continue;
        m.modes = *r.modes;
        m.maxCur = r.maxCur;
        m.maxVol = r.maxVol;
        m.curScale = r.curScale;
        m.volScale = r.volScale;
        m.pwrScale = r.pwrScale;
        m.lastDisMode = r.lastDis;
        m.lastChgMode = r.lastChg;
        m.cvFlag = r.cv;
        m.hasTemp = r.temp;
    }
    m.twoChannel = type == 17 || type == 18;
    m.usb = type == 26;
    // Firmware variants with other mode lists or limits.
    if (type == 26 && firmware < 320)
        m.maxVol = 13.5;
    if (type == 5 && firmware == 302)
        m.modes = {"D-CC", "D-CP", "C-NiMh", "C-NiCD", "C-Liion", "C-LiFe", "C-VRLA", "C-CV", "Meter"};
    if ((type == 9 || type == 10) && firmware == 311) {
        m.modes = ListE;
        m.lastDisMode = 0;
        m.lastChgMode = 1;
    }
    if (type == 25 && firmware == 310)
        m.modes = ListI;
    if (type == 38 && firmware == 311) {
        m.modes = ListE;
        m.lastChgMode = 1;
        m.cvFlag = true;
    }
    return m;
}

} // namespace qx::sim
