#include "link/ModelTable.h"

#include <array>

namespace qx::models {

namespace {

QStringList list(std::initializer_list<const char *> texts)
{
    QStringList l;
    for (const char *t : texts)
        l << QLatin1String(t);
    return l;
}

// The mode lists of the family (texts in list order).
const QStringList &modeList(char id)
{
    static const QStringList A = list({"D-CC", "C-NiMh", "C-NiCD", "C-Liion", "C-LiFe", "C-VRLA", "C-CV"});
    static const QStringList B = list({"D-CC", "D-CP", "C-NiMh", "C-NiCD", "C-LiPo", "C-LiFe", "C-PB", "C-CV", "DC5V"});
    static const QStringList C = list({"D-CC", "D-CP", "C-NiMh", "C-NiCD", "C-LiPo", "C-LiFe", "C-PB", "C-CV"});
    static const QStringList D = list({"D-CC", "D-CP", "C-CV"});
    static const QStringList E = list({"D-CC", "C-CV"});
    static const QStringList F = list({"D-CC", "D-CP", "C-CV", "Meter", "D-CV"});
    static const QStringList G = list({"D-CC", "D-CP"});
    static const QStringList H = list({"D-CC"});
    static const QStringList I = list({"D-CC", "Meter"});
    static const QStringList J = list({"D-CC", "D-CV"});
    static const QStringList K = list({"Meter"});
    switch (id) {
    case 'A': return A;
    case 'B': return B;
    case 'C': return C;
    case 'D': return D;
    case 'E': return E;
    case 'F': return F;
    case 'G': return G;
    case 'I': return I;
    case 'J': return J;
    case 'K': return K;
    default: return H;
    }
}

struct Row {
    int type;
    const char *name; // "" = none
    char modes;
    Pages pages;
    float maxCur, maxVol, minCur, minVol;
    int curScale, volScale, pwrScale, lastDis, lastChg;
    bool cv, temp, res;
};

using enum Pages;
constexpr bool T = true, F = false;

// clang-format off
// type  name     modes pages  MaxCur MaxVol MinCur  MinVol CurSc VolSc PwrSc LD LC  Cv Temp Res
constexpr Row Rows[] = {
    {1,  "QM-01", 'A', P123,   5,    15,   0.1f,   0.8f, 100,  100,  1,  0, 6, F, T, T},
    {2,  "QM-02", 'A', P123,   5,    20,   0.1f,   0.8f, 100,  100,  1,  0, 6, F, T, T},
    {3,  "QM-03", 'A', P123,  10,    15,   0.1f,   0.8f, 100,  100,  1,  0, 6, F, T, T},
    {4,  "QM-04", 'A', P123,  10,    30,   0.1f,   0.8f, 100,  100,  1,  0, 6, F, T, T},
    {5,  "",      'B', P123,   5,    30,   0.06f,  0,   1000,  100, 10,  1, 7, T, F, T},
    {6,  "",      'C', P123,  10,    30,   0.05f,  0,    100,  100,  1,  1, 7, T, F, T},
    {7,  "QM-05", 'D', P123,  10,    30,   0.1f,   0,    100,  100,  1,  1, 2, T, F, T},
    {8,  "QM-06", 'E', P13,   10,    20,   0.1f,   0.8f, 100,  100,  1,  0, 1, T, F, T},
    {9,  "",      'D', P13,   20,    30,   0.1f,   0,    100,  100,  1,  1, 2, T, F, T},
    {10, "",      'D', P13,   40,     5,   0.1f,   0.8f, 100,  100,  1,  1, 2, T, F, T},
    {11, "QM-07", 'F', P12,   10,    30,   0.1f,   0,    100,  100,  1,  4, 4, F, T, T},
    {12, "QM-08", 'F', P12,   10,    99,   0.1f,   0,    100,  100,  1,  4, 4, F, T, T},
    {13, "QM-09", 'F', P12,   30,    30,   0.2f,   0.8f, 100,  100,  1,  4, 4, F, T, T},
    {14, "QM-10", 'F', P12,   30,    60,   0.2f,   0.8f, 100,  100,  1,  4, 4, F, T, T},
    {15, "QM-11", 'F', P12,   10,    30,   0.1f,   0,    100,  100,  1,  4, 4, F, T, T},
    {16, "QM-12", 'F', P12,   15,    30,   0.2f,   0,    100,  100,  1,  4, 4, F, T, T},
    {17, "QM-13", 'G', P12,    2.5f, 15,   0.03f,  0,   1000, 1000, 10,  1, 1, F, F, T},
    {18, "QM-14", 'G', P12,    5,    15,   0.05f,  0,   1000, 1000, 10,  1, 1, F, F, T},
    {19, "QM-15", 'G', P12,   20,    30,   0.1f,   0,    100,  100,  1,  1, 1, F, F, T},
    {20, "",      'G', P12,   10,    30,   0.1f,   0,    100,  100,  1,  1, 1, F, F, T},
    {21, "QM-16", 'H', P1,    10,   100,   0.5f,   2,    100,  100,  1,  0, 0, F, F, F},
    {22, "QM-17", 'H', P1,    15,    70,   0.5f,   2,    100,  100,  1,  0, 0, F, F, F},
    {23, "QM-18", 'H', P1,    10,    88,   0.5f,   2,    100,  100,  1,  0, 0, F, F, F},
    {24, "QM-19", 'H', P12,    2.5f, 15,   0.1f,   0.1f,1000,  100,  1,  0, 0, F, F, T},
    {25, "",      'H', P12,    3,    20,   0.05f,  0.1f,1000,  100,  1,  0, 0, F, F, T},
    {26, "QM-20", 'I', P12,    4,    21,   0.01f,  0,   1000,  100,  1,  0, 0, F, F, F}, // firmware 3.20 on
    {27, "QM-22", 'H', P1,    20,    90,   0.5f,   8,    100,  100,  1,  0, 0, F, F, F},
    {28, "QM-23", 'E', P13,   20,    90,   0.1f,   8,    100,  100,  1,  0, 1, T, F, F},
    {29, "QM-24", 'E', P13,   50,    20,   0.1f,   0.8f, 100,  100,  1,  0, 1, T, F, F},
    {30, "QM-25", 'H', P1,    40,    90,   0.5f,   2,    100,  100,  1,  0, 0, F, F, F},
    {31, "QM-26", 'H', P1,    50,    30,   0.1f,   0,    100,  100,  1,  0, 0, F, F, F},
    {32, "QM-27", 'H', P1,    40,    30,   0.1f,   0,    100,  100,  1,  0, 0, F, F, F},
    {33, "QM-28", 'H', P1,    30,    60,   0.1f,   0,    100,  100,  1,  0, 0, F, F, F},
    {34, "QM-29", 'H', P1,   100,   150,   2,      0.8f, 100,  100,  1,  0, 0, F, F, F},
    {35, "QM-30", 'G', P12,    1,    30,   0.001f, 0,   1000,  100, 10,  1, 1, F, F, T},
    {36, "QM-31", 'D', P123,   1,    30,   0.001f, 0,   1000,  100, 10,  1, 2, T, F, T},
    {37, "QM-32", 'D', P13,  100,     5,   0.1f,   0.8f, 100,  100,  1,  1, 2, T, T, F},
    {38, "",      'H', P1,   100,     5,   0.1f,   0.1f, 100,  100,  1,  0, 0, F, F, F},
    {39, "QM-33", 'E', P13,   30,    90,   0.5f,   8,    100,  100,  1,  0, 0, F, F, F},
    {40, "QM-34", 'E', P13,   50,    30,   0.001f, 0,   1000,  100,  1,  0, 1, T, F, F},
    {41, "QM-35", 'J', P12,    5,   100,   0.1f,   0,   1000,  100,  1,  2, 0, F, F, F},
    {42, "QM-36", 'H', P12,    3,    14,   0.1f,   0.01f,1000, 100,  1,  0, 0, F, T, F},
};
// Type 26 before firmware 3.20.
constexpr Row Usb26Old =
    {26, "QM-21", 'I', P12,    4,    13.5f, 0.03f, 0,   1000,  100,  1,  0, 0, F, F, F};
// clang-format on

ModelRow fromRow(const Row &r)
{
    ModelRow m;
    m.type = r.type;
    m.name = QLatin1String(r.name);
    m.modes = modeList(r.modes);
    m.pages = r.pages;
    m.maxCur = r.maxCur;
    m.maxVol = r.maxVol;
    m.minCur = r.minCur;
    m.minVol = r.minVol;
    m.curScale = r.curScale;
    m.volScale = r.volScale;
    m.pwrScale = r.pwrScale;
    m.lastDisMode = r.lastDis;
    m.lastChgMode = r.lastChg;
    m.cvFlag = r.cv;
    m.hasTemp = r.temp;
    m.resMenu = r.res;
    return m;
}

} // namespace

QStringList pageKeys(Pages p)
{
    switch (p) {
    case Pages::P123: return list({"key1", "key2", "key3"});
    case Pages::P13: return list({"key1", "key3"});
    case Pages::P12: return list({"key1", "key2"});
    case Pages::P1: break;
    }
    return list({"key1"});
}

ModelRow modelRow(int type, int devVer)
{
    if (isUsbTester(type) && !isUsbTesterFrom320(type, devVer))
        return fromRow(Usb26Old);
    for (const Row &r : Rows)
        if (r.type == type)
            return fromRow(r);
    // No row of its own: one mode, one page, the defaults; limits and name kept.
    ModelRow m;
    m.type = type;
    m.modes = modeList('H');
    if (isMilliampMeter(type))
        m.modes = modeList('K');
    return m;
}

QStringList refinedModes(int type)
{
    switch (type) {
    case 5: return list({"D-CC", "D-CP", "C-NiMh", "C-NiCD", "C-Liion", "C-LiFe", "C-VRLA", "C-CV", "Meter"});
    case 9:
    case 10:
    case 38: return modeList('E');
    case 25: return modeList('I');
    default: return {};
    }
}

bool isTwoChannel(int type) { return type == 17 || type == 18; }

int nameRow(int type, int chn)
{
    switch (type) {
    case 17:
    case 18:
    case 19:
    case 35:
    case 36: return chn + 1;
    default: return 1;
    }
}

bool modeFieldsAtIdentify(int type) { return type != 9 && type != 10 && type != 38; }

QString currentAxisLabel(int type) { return isMilliampMeter(type) ? QStringLiteral("[mA]") : QStringLiteral("[A]"); }

bool showsUsbMenu(int type) { return isUsbTester(type); }

bool hasMeterAtModeOne(int type) { return type == 25 || isUsbTester(type); }

bool losesPowerModeWithFirmware(int type) { return type == 9 || type == 10; }

bool cvChargeTakesCutoffOnly(int type) { return type == 28; }

bool hasFineVoltage(int type)
{
    if (type >= 5 && type <= 16)
        return true;
    switch (type) {
    case 19: case 20: case 24: case 25: case 32: case 35: case 36: case 37: case 38: case 40:
        return true;
    default:
        return false;
    }
}

bool hasWideCurrentReadout(int type) { return type == 38 || type == 40; }

bool countsMilliamps(int type) { return type == 40; }

bool hasFineCurrent(int type) { return type == 35; }

bool setsMilliampCurrent(int type) { return type == 35 || type == 36; }

bool isMilliampMeter(int type) { return type == 51; }

} // namespace qx::models
