#include "services/Module3.h"
#include "services/State.h"

#include <gtest/gtest.h>

TEST(Module3, LangTextMapsOnlyWhenTheOptionIsOne)
{
    const QString chinese = QString::fromUtf8("电压");
    const QString mapped = QString::fromUtf8("電壓");
    struct { int lang; QString text, out; } cases[] = {
        {0, chinese, chinese}, {2, chinese, chinese}, {-1, chinese, chinese},
        {1, chinese, mapped}, {1, "Setting value out of range!", "Setting value out of range!"}, {1, "", ""},
    };
    for (const auto &c : cases) {
        qx::LangTrad = c.lang;
        EXPECT_EQ(qx::Module3::LangText(c.text), c.out) << c.lang;
    }
    qx::LangTrad = 0;
    EXPECT_EQ(qx::Module3::SimpToTrad(chinese), mapped);
}
