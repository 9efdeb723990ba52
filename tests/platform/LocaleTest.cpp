#include "platform/Locale.h"
#include "tests/platform/ScopedEnv.h"

#include <gtest/gtest.h>

using Zumeli::Platform::localeLanguage;

TEST(Locale, TakesTheFirstSetVariableInPriorityOrder)
{
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const char* expected;
    };
    const Case cases[] = {
        { nullptr, nullptr, nullptr, "en" },
        { nullptr, nullptr, "fr_FR.UTF-8", "fr" },
        { nullptr, "de_DE.UTF-8", "fr_FR.UTF-8", "de" },
        { "ES_es", "de_DE.UTF-8", "fr_FR.UTF-8", "es" },
        { "", "", "it_IT", "it" },
        { "C", nullptr, "fr_FR", "en" },
        { "POSIX", nullptr, nullptr, "en" },
        { "C.UTF-8", nullptr, nullptr, "en" },
    };
    for (const Case& c : cases) {
        ScopedEnv all("LC_ALL", c.lcAll), messages("LC_MESSAGES", c.lcMessages), lang("LANG", c.lang);
        EXPECT_EQ(localeLanguage(), c.expected) << (c.lcAll ? c.lcAll : "-") << " " << (c.lang ? c.lang : "-");
    }
}
