// What only Windows gives the end-to-end runs: the child's output is read in the OEM code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_harness.h"

namespace corvanite::test {
namespace {

TEST_F(ChkdskChildTest, OutputIsReadInTheOemCodePage) {
    if (GetOEMCP() != 437) {
        GTEST_SKIP() << "the OEM code page here is " << GetOEMCP() << ", not 437";
    }
    // Code page 437: 0x82 e acute, 0xE9 capital theta, 0xB3 box-drawing vertical, 0x9C pound.
    const std::string script = Out("\x82t\xE9\r\n") + Out("\xB3 100%\r\n") + Out("\x9C") +
                               Pause(50) + Out("5\r\n") + Exit(0);
    const RunState run = Run(script, u"C:", true);
    EXPECT_EQ(run.lines,
              (std::vector<std::u16string>{u"\u00E9t\u0398", u"\u2502 100%", u"\u00A35"}));
    EXPECT_EQ(run.events, "LINE DONE");
}

}  // namespace
}  // namespace corvanite::test
