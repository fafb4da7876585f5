#include "services/Prompt.h"

#include "services/Module3.h"
#include "platform/UiServices.h"

namespace qx {

int promptBox(const QString &text, int style)
{
    return ui().msgBox(Module3::LangText(text), style, Module3::LangText(QStringLiteral("Prompt")));
}

void openWebPage(const QString &url)
{
    if (!ui().openLink(url))
        promptBox(QStringLiteral("Please visit ") + url, MbInformation);
}

} // namespace qx
