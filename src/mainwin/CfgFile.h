#pragma once
// The parameter file (".cfg"): the panel texts of one channel of a device,
// kept for its model so that they can be loaded again later.
//
//   ---------QX Tester Software--------     (ignored when read)
//   D:<model>        the model name of the device's first result row
//   T:<chart title>
//   S:<set value>    the panel's boxes as displayed, no unit
//   L:<limit>
//   M:<time limit>   the third box (time limit or cut-off current)
//   ----------QX Parameter File----------   (ignored when read)
//
// Lines end with CR LF (reading accepts LF), text is written as UTF-8 (a file
// from Windows in its ANSI code page reads as well). No widgets: the
// main window gathers the texts and applies what a file loads.
//
// Reading: every line after the first whose length is at least 3 (a tag of
// two characters and a value) is an entry; shorter lines and lines over
// textlines::MaxLine bytes are passed over. Nothing applies until a "D:"
// line names the device's model exactly; from then on "T:" sets the title
// (any text), and "S:", "L:", "M:" set their box when the value is a number;
// every other tag is ignored, a later entry overrides an earlier one. Files
// whose "M:" held a run time (hh:mm:ss) load without it: it is no number.
#include <QByteArray>
#include <QString>
#include <optional>

class QIODevice;

namespace qx::cfgfile {

struct Texts {
    QString model;
    QString title;
    QString sval, slmt, stim;
};

// The file's bytes.
QByteArray write(const Texts &t);

// What a file loads into a device of model `model`.
struct Loaded {
    bool found = false;  // a "D:" line named the model
    std::optional<QString> title, sval, slmt, stim;
};
Loaded read(QIODevice &file, const QString &model);

} // namespace qx::cfgfile
