#pragma once
// The coordinate settings dialogs, both captioned "Curve Coordinate
// Settings": frmCurve sets the voltage, current and time ranges of every
// device tab's chart and writes them to [CURVE] of qx.ini; frmCurve2 sets
// the data viewer's chart and writes nothing. Fields, checks and messages
// are the same (CoordCheck.h); each field is checked when it loses the
// focus and all six again on OK. Both set DlgDone when they close.
#include "curves/CoordCheck.h"
#include "platform/FormHolder.h"

#include <QDialog>
#include <vector>

class CurveGraph;
class QLabel;
class QLineEdit;
class QPushButton;

class CoordDialog : public QDialog {
    Q_OBJECT
public:
    QLineEdit *txtVL = nullptr, *txtVH = nullptr, *txtCL = nullptr, *txtCH = nullptr, *txtTime = nullptr,
              *txtTime2 = nullptr;
    QPushButton *cmdOK = nullptr, *cmdCancel = nullptr;

    void cmdOK_Click();
    void cmdCancel_Click();
    // The leave-check of one field.
    void LostFocus(qx::curves::CoordField f);
    QLineEdit *field(qx::curves::CoordField f) const;

protected:
    CoordDialog();
    // Form_Load: fills the fields from the dialog's chart (none: left empty).
    void Form_Load(const CurveGraph *chart);
    // The charts OK applies to; frmCurve also writes the settings file.
    virtual std::vector<CurveGraph *> targets() const = 0;
    virtual void save() const {}
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    bool checking_ = false;
};

class frmCurve : public CoordDialog {
    Q_OBJECT
public:
    frmCurve();

protected:
    std::vector<CurveGraph *> targets() const override;
    void save() const override;
};

class frmCurve2 : public CoordDialog {
    Q_OBJECT
public:
    frmCurve2();

protected:
    std::vector<CurveGraph *> targets() const override;
};

qx::FormHolder<frmCurve> &frmCurveForm();
qx::FormHolder<frmCurve2> &frmCurve2Form();
