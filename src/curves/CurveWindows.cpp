// Closing the windows of the curves folder when the program ends.
#include "curves/frmColor.h"
#include "curves/frmCurve.h"
#include "curves/frmData.h"
#include "curves/frmShow.h"
#include "curves/frmSw.h"
#include "curves/frmType.h"

void unloadCurveWindows()
{
    frmCurveForm().unload();
    frmShowForm().unload();
    frmDataForm().unload(); // with its colour, axis-type and coordinate dialogs
    frmSwForm().unload();
    frmCurve2Form().unload();
    frmColorForm().unload();
    frmTypeForm().unload();
}
