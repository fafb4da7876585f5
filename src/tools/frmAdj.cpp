#include "tools/frmAdj.h"

#include <QGridLayout>
#include <QPushButton>

frmAdj::frmAdj() : QWidget(nullptr, Qt::Dialog)
{
    setObjectName(QStringLiteral("frmAdj"));
    setWindowTitle(QStringLiteral("Parameter Calibration"));
    auto *grid = new QGridLayout(this);
    const auto button = [this, grid](const char *name, int row) {
        auto *b = new QPushButton(QStringLiteral("Calibration"), this);
        b->setObjectName(QLatin1String(name));
        b->setEnabled(false);
        grid->addWidget(b, row, 0);
        return b;
    };
    cmdVL = button("cmdVL", 0);
    cmdVH = button("cmdVH", 1);
    cmdCL = button("cmdCL", 2);
    cmdCH = button("cmdCH", 3);
}

frmAdj::~frmAdj() = default;

qx::FormHolder<frmAdj> &frmAdjForm()
{
    static qx::FormHolder<frmAdj> holder;
    return holder;
}
