#include "services/Module3.h"
#include "services/State.h"
#include "platform/TextMap.h"

namespace qx::Module3 {

QString SimpToTrad(const QString &text) { return qx::textmap::simpToTrad(text); }

QString LangText(const QString &text) { return qx::LangTrad == 1 ? SimpToTrad(text) : text; }

} // namespace Module3
