#include "platform/WebEngineSwitches.h"

#include <gtest/gtest.h>

namespace {

TEST(WebEngineSwitches, TheSandboxGoesOffForRootOnly)
{
    const struct
    {
        QByteArray flags;
        bool root;
        QByteArray wanted;
    } cases[] = {
        {"", true, "--no-sandbox"},
        {"", false, ""},
        {"--disable-gpu", true, "--disable-gpu --no-sandbox"},
        {"  --disable-gpu\t", true, "--disable-gpu --no-sandbox"},
        {"--disable-gpu", false, "--disable-gpu"},
        // Already there, with two dashes or one: left as it is.
        {"--no-sandbox --disable-gpu", true, "--no-sandbox --disable-gpu"},
        {"-no-sandbox", true, "-no-sandbox"},
        // A switch that merely starts like it is another switch.
        {"--no-sandbox-and-more", true, "--no-sandbox-and-more --no-sandbox"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WebEngineSwitches::FlagsFor(c.flags, c.root), c.wanted)
            << c.flags.constData() << (c.root ? " as root" : "");
    }
}

} // namespace
