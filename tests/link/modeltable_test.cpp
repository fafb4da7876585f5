// The device model table against the simulated device's own description of
// every type code: two separate transcriptions of the family must agree on
// modes, limits, scales, mode groups and the temperature sensor.
#include "SimModels.h"
#include "link/ModelTable.h"

#include <gtest/gtest.h>
#include <set>

using namespace qx;

namespace {

QStringList simModes(const sim::SimModel &m)
{
    QStringList l;
    for (const auto &s : m.modes)
        l << QString::fromStdString(s);
    return l;
}

} // namespace

TEST(ModelTable, AgreesWithTheSimulatedDeviceOnEveryType)
{
    for (int type = 1; type <= 99; ++type) {
        for (int ver : {0, 320}) {
            const models::ModelRow row = models::modelRow(type, ver);
            const sim::SimModel m = sim::simModel(type, ver);
            SCOPED_TRACE(testing::Message() << "type " << type << " version " << ver);
            EXPECT_EQ(row.type, type);
            EXPECT_EQ(row.modes, simModes(m));
            EXPECT_EQ(row.curScale, m.curScale);
            EXPECT_EQ(row.volScale, m.volScale);
            EXPECT_EQ(row.pwrScale, m.pwrScale);
            EXPECT_EQ(row.lastDisMode, m.lastDisMode);
            EXPECT_EQ(row.lastChgMode, m.lastChgMode);
            EXPECT_EQ(row.cvFlag, m.cvFlag);
            EXPECT_EQ(row.hasTemp, m.hasTemp);
            EXPECT_EQ(models::isTwoChannel(type), m.twoChannel);
            if (row.maxCur) {
                EXPECT_FLOAT_EQ(*row.maxCur, float(m.maxCur));
                EXPECT_FLOAT_EQ(*row.maxVol, float(m.maxVol));
            }
        }
    }
}

TEST(ModelTable, FirmwareRefinementsAgreeWithTheSimulatedDevice)
{
    const struct {
        int type, ver;
    } refined[] = {{5, 302}, {9, 311}, {10, 311}, {25, 310}, {38, 311}};
    for (const auto &r : refined)
        EXPECT_EQ(models::refinedModes(r.type), simModes(sim::simModel(r.type, r.ver))) << r.type;
    EXPECT_TRUE(models::refinedModes(26).isEmpty());
}

TEST(ModelTable, GenericRowKeepsLimitsAndName)
{
    for (int type : {43, 50, 51, 52, 99, 0, 100}) {
        const models::ModelRow row = models::modelRow(type, 0);
        EXPECT_FALSE(row.maxCur.has_value()) << type;
        EXPECT_FALSE(row.maxVol.has_value()) << type;
        EXPECT_TRUE(row.name.isEmpty()) << type;
        EXPECT_EQ(row.pages, models::Pages::P1) << type;
        EXPECT_FALSE(row.resMenu) << type;
        EXPECT_FLOAT_EQ(row.minCur, 0.1f);
        EXPECT_FLOAT_EQ(row.minVol, 0.8f);
    }
    EXPECT_EQ(models::modelRow(51, 0).modes, QStringList{"Meter"});
    EXPECT_EQ(models::modelRow(43, 0).modes, QStringList{"D-CC"});
    EXPECT_EQ(models::currentAxisLabel(51), "[mA]");
    EXPECT_EQ(models::currentAxisLabel(26), "[A]");
}

// Which type codes have each of the facts that the readouts and the setting
// rules look up by model, as the model descriptions list them.
TEST(ModelTable, FactsByTypeCode)
{
    const struct {
        const char *fact;
        bool (*has)(int);
        std::set<int> types;
    } facts[] = {
        {"USB tester", models::isUsbTester, {26}},
        {"meter at mode 1", models::hasMeterAtModeOne, {25, 26}},
        {"charges by cells", models::chargesByCells, {1, 2, 3, 4}},
        {"cell rules apply", models::cellRulesApply, {0, 1, 2, 3, 4}},
        {"charges by cells, with power", models::chargesByCellsWithPower, {5, 6}},
        {"loses the power mode with firmware", models::losesPowerModeWithFirmware, {9, 10}},
        {"CV charge takes the cut-off alone", models::cvChargeTakesCutoffOnly, {28}},
        {"fine voltage",
         models::hasFineVoltage,
         {5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 19, 20, 24, 25, 32, 35, 36, 37, 38, 40}},
        {"wide current readout", models::hasWideCurrentReadout, {38, 40}},
        {"counts mA", models::countsMilliamps, {40}},
        {"fine current", models::hasFineCurrent, {35}},
        {"sets mA current", models::setsMilliampCurrent, {35, 36}},
        {"mA meter", models::isMilliampMeter, {51}},
    };
    for (const auto &f : facts)
        for (int type = 0; type <= 100; ++type)
            EXPECT_EQ(f.has(type), f.types.count(type) == 1) << f.fact << ", type " << type;

    // The USB tester's later firmware begins with version 3.20, on that model only.
    EXPECT_FALSE(models::isUsbTesterFrom320(26, 319));
    EXPECT_TRUE(models::isUsbTesterFrom320(26, 320));
    EXPECT_FALSE(models::isUsbTesterFrom320(25, 320));
}
