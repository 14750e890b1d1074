#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "volume_check/chkdsk_outcome.h"

namespace corvanite {
namespace {

struct OutcomeCase {
    uint32_t exitCode;
    bool readOnly;
    bool cancelled;
    bool ready;
    bool exitNonZero;
    bool fixed;
    const char16_t* text;
};

TEST(ChkdskOutcome, EveryRowOfTheRule) {
    const OutcomeCase cases[] = {
        {0, true, false, true, false, false, u"No errors found"},
        {0, false, false, true, false, false, u"No errors found"},
        {1, true, false, true, true, false, u"Errors detected (run without /f to fix)"},
        {1, false, false, true, true, true, u"Errors found and corrected"},
        {2, true, false, true, true, false, u"Volume requires cleanup (chkdsk /f recommended)"},
        // Only exit code 1 counts as fixed.
        {2, false, false, true, true, false, u"Volume requires cleanup (chkdsk /f recommended)"},
        {3, true, false, true, true, false, u"Could not check disk \u2014 volume may be in use"},
        {3, false, false, true, true, false, u"Could not check disk \u2014 volume may be in use"},
        {4, true, false, true, true, false, u"chkdsk returned unexpected exit code"},
        {CHKDSK_STILL_ACTIVE, true, false, true, true, false,
         u"chkdsk returned unexpected exit code"},
        {0xFFFFFFFFu, false, false, true, true, false, u"chkdsk returned unexpected exit code"},
        // Cancelled: the sentence says so whatever the code; the flags still follow the code.
        {0, true, true, false, false, false, u"Operation cancelled"},
        {3, true, true, false, true, false, u"Operation cancelled"},
        {1, false, true, false, true, true, u"Operation cancelled"},
        {CHKDSK_STILL_ACTIVE, false, true, false, true, false, u"Operation cancelled"},
    };
    for (const OutcomeCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "exit " << c.exitCode << (c.readOnly ? " read-only" : " fix")
                     << (c.cancelled ? " cancelled" : ""));
        const ChkdskResult result = ChkdskOutcome(c.exitCode, c.readOnly, c.cancelled);
        EXPECT_EQ(result.ready, c.ready);
        EXPECT_EQ(result.exitNonZero, c.exitNonZero);
        EXPECT_EQ(result.fixed, c.fixed);
        EXPECT_EQ(result.text, std::u16string(c.text));
    }
}

TEST(ChkdskOutcome, InUseSentenceHasTheEmDashWithSpaces) {
    const std::u16string text = ChkdskOutcome(3, true, false).text;
    ASSERT_EQ(text.size(), 43u);
    EXPECT_EQ(text.substr(20, 3), std::u16string(u" \u2014 "));
    EXPECT_EQ(text[21], char16_t{0x2014});
}

}  // namespace
}  // namespace corvanite
