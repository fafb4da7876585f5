#include "tools/FirmwareTable.h"

#include <QFile>

// Resources of a static library are registered by name from outside any
// namespace.
static void initFirmwareResources() { Q_INIT_RESOURCE(firmware); }

namespace qx::firmware {

namespace {

struct ModelRow {
    int type;
    int variant; // -1 any, -2 any but 0
    const char *model;
};

constexpr int AnyVariant = -1;
constexpr int NonZero = -2;

constexpr ModelRow Models[] = {
    {5, NonZero, "QM-37"},    {6, AnyVariant, "QM-49"}, {9, AnyVariant, "QM-40"}, {10, 310, "QM-53"},
    {10, 311, "QM-41"},       {19, NonZero, "QM-54"},   {27, 309, "QM-55"},       {28, 306, "QM-56"},
    {28, 307, "QM-57"},       {36, AnyVariant, "QM-31"}, {39, 309, "QM-58"},
};

struct ImageRow {
    const char *model;
    int id;
};

constexpr ImageRow Images[] = {
    {"QM-37", 51},  {"QM-53", 101}, {"QM-41", 102}, {"QM-54", 191}, {"QM-59", 231},
    {"QM-55", 271}, {"QM-56", 283}, {"QM-57", 284}, {"QM-58", 392},
};

} // namespace

QString modelFor(int bootType, int variant)
{
    for (const ModelRow &r : Models) {
        if (r.type != bootType)
            continue;
        if (r.variant == AnyVariant || (r.variant == NonZero && variant != 0) || r.variant == variant)
            return QLatin1String(r.model);
    }
    return {};
}

int imageIdFor(const QString &model, int bootType)
{
    for (const ImageRow &r : Images)
        if (model == QLatin1String(r.model))
            return r.id;
    return bootType;
}

QByteArray loadImage(int id)
{
    static const bool registered = (initFirmwareResources(), true);
    (void)registered;
    QFile f(QStringLiteral(":/firmware/%1.bin").arg(id));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace qx::firmware
