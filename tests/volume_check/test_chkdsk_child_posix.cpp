// What only POSIX gives the end-to-end runs: the child's output is read as UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_harness.h"

namespace corvanite::test {
namespace {

TEST_F(ChkdskChildTest, OutputIsReadAsUtf8PerWholeLine) {
    const std::string script =
        // A two-byte character split over two writes is converted whole.
        Out("caf\xC3") + Pause(50) + Out("\xA9\r\n") +
        // Bytes that are no UTF-8 give one U+FFFD each; a cut sequence at the line's end too.
        Out("bad \xFF\xFE end\r\n") + Out("cut \xE2\x82\r\n") +
        // Four-byte characters become surrogate pairs.
        Out("\xF0\x9F\x92\xBE disk\n") + Exit(0);
    const RunState run = Run(script, u"C:", true);
    EXPECT_EQ(run.lines, (std::vector<std::u16string>{u"caf\u00E9", u"bad \uFFFD\uFFFD end",
                                                      u"cut \uFFFD\uFFFD", u"\U0001F4BE disk"}));
    EXPECT_EQ(run.events, "LINE DONE");
}

}  // namespace
}  // namespace corvanite::test
