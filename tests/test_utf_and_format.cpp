#include <gtest/gtest.h>

#include "text/text_format.h"
#include "text/utf.h"

namespace corvanite {
namespace {

TEST(Utf, Utf16ToUtf8) {
    EXPECT_EQ(Utf16ToUtf8(u"abc"), "abc");
    EXPECT_EQ(Utf16ToUtf8(u"\u00E9\u20AC\U0001F600"), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    // Unpaired surrogates, at the end, in the middle, reversed.
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xDC00), u'b'}),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDC00), char16_t(0xD800)}),
              "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\0')), std::string(1, '\0'));
}

TEST(Utf, Utf8ToUtf16) {
    EXPECT_EQ(Utf8ToUtf16("abc"), u"abc");
    EXPECT_EQ(Utf8ToUtf16("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), u"\u00E9\u20AC\U0001F600");
    // Malformed: lone continuation, overlong, surrogate encoded, truncated, beyond U+10FFFF.
    EXPECT_EQ(Utf8ToUtf16("\x80"
                          "a"),
              u"\uFFFD"
              "a");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xE0\x80\xAF"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xFF"), u"\uFFFD");
    // Round trip of every BMP scalar value and a few supplementary ones.
    std::u16string all;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c < 0xD800 || c > 0xDFFF) {
            all.push_back(static_cast<char16_t>(c));
        }
    }
    all += u"\U00010000\U0010FFFF";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(all)), all);
}

TEST(TextFormat, NumbersAndPadding) {
    std::u16string s;
    AppendUnsigned(s, 0);
    s += u'|';
    AppendUnsigned(s, UINT64_MAX);
    s += u'|';
    AppendSigned(s, -1);
    s += u'|';
    AppendSigned(s, INT64_MIN);
    s += u'|';
    AppendHex(s, 0, 2);
    s += u'|';
    AppendHex(s, 0xC2, 2);
    s += u'|';
    AppendHex(s, 0x1FF, 2);
    s += u'|';
    AppendUnsignedRight(s, 5, 3);
    s += u'|';
    AppendUnsignedRight(s, 1234, 3);
    s += u'|';
    AppendPaddedLeft(s, u"ab", 4);
    s += u'|';
    AppendPaddedLeft(s, u"abcdef", 4);
    EXPECT_EQ(s, u"0|18446744073709551615|-1|-9223372036854775808|00|C2|1FF|  5|1234|ab  |abcdef");
    EXPECT_EQ(TrimTrailingBlanks(u"  a b  "), u"  a b");
    EXPECT_EQ(TrimTrailingBlanks(u"   "), u"");
    EXPECT_EQ(TrimTrailingBlanks(u"a\t"), u"a\t");
}

}  // namespace
}  // namespace corvanite
