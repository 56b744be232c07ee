#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <string>

TEST(TextCodec, DecodeUTF8RefusesInvalidText)
{
    std::u16string units;
    EXPECT_TRUE(DecodeUTF8("a\xE3\x81\x82\xF0\x9F\x98\x80", units));
    EXPECT_EQ(units, std::u16string(u"a\u3042\U0001F600"));
    EXPECT_TRUE(DecodeUTF8("", units));
    EXPECT_TRUE(units.empty());

    const char *invalid[] = {
        "\xFF",             // never a UTF-8 byte
        "a\xC0\x80",        // overlong form of NUL
        "\xED\xA0\x80",     // a surrogate half written as UTF-8
        "\xE6\x97",         // sequence cut short at the end
        "\x97\xA5",         // continuation byte without a lead
        "\xF4\x90\x80\x80", // beyond U+10FFFF
    };
    for (const char *text : invalid) {
        units = u"stale";
        EXPECT_FALSE(DecodeUTF8(text, units)) << text;
        EXPECT_TRUE(units.empty());
    }
}

TEST(TextCodec, DecodeShiftJISX0213)
{
    std::u16string units;
    EXPECT_TRUE(DecodeShiftJISX0213("a\x82\xA0\x93\xFA\xA1", units));
    EXPECT_EQ(units, std::u16string(u"a\u3042\u65E5\uFF61"));
    // A text cut after the lead byte of a two-byte character.
    EXPECT_FALSE(DecodeShiftJISX0213("a\x82\xA0\x93", units));
    EXPECT_TRUE(units.empty());
}

TEST(TextCodec, EncodeOneUnit)
{
    struct Case {
        char16_t unit;
        UnitCharset charset;
        bool ok;
        std::string bytes;
    } cases[] = {
        {u'A', UnitCharset::ShiftJISX0213, true, "A"},
        {u'\u3042', UnitCharset::ShiftJISX0213, true, "\x82\xA0"},
        {u'\uFF61', UnitCharset::ShiftJISX0213, true, "\xA1"},
        {u'\u0E01', UnitCharset::ShiftJISX0213, false, ""}, // Thai: not in JIS X 0213
        {u'\u0E01', UnitCharset::UTF8, true, "\xE0\xB8\x81"},
        {u'\u00E0', UnitCharset::UTF8, true, "\xC3\xA0"},
        {0xD83D, UnitCharset::ShiftJISX0213, false, ""},
        {0xD83D, UnitCharset::UTF8, false, ""},
        {0xDE00, UnitCharset::ShiftJISX0213, false, ""},
        {0xDE00, UnitCharset::UTF8, false, ""},
    };
    for (const auto &c : cases) {
        std::string bytes = "stale";
        EXPECT_EQ(EncodeUnit(c.unit, c.charset, bytes), c.ok) << std::hex << int(c.unit);
        EXPECT_EQ(bytes, c.bytes) << std::hex << int(c.unit);
    }
}

// Shift_JIS X0213 has combined codes for a kana and a following combining
// mark; a unit encoded alone must come out at once and never merge with
// the next one.
TEST(TextCodec, EncodeUnitHoldsNothingBack)
{
    std::string bytes;
    ASSERT_TRUE(EncodeUnit(u'\u304B', UnitCharset::ShiftJISX0213, bytes));
    EXPECT_EQ(bytes, "\x82\xA9");
    EXPECT_FALSE(EncodeUnit(u'\u309A', UnitCharset::ShiftJISX0213, bytes));
    ASSERT_TRUE(EncodeUnit(u'\u304B', UnitCharset::ShiftJISX0213, bytes));
    EXPECT_EQ(bytes, "\x82\xA9");
}

TEST(TextCodec, EncodeUTF8RefusesLoneSurrogates)
{
    std::string text;
    EXPECT_TRUE(EncodeUTF8(u"a\U0001F600", text));
    EXPECT_EQ(text, "a\xF0\x9F\x98\x80");
    std::u16string loneHigh = u"a";
    loneHigh.push_back(0xD83D);
    EXPECT_FALSE(EncodeUTF8(loneHigh, text));
    EXPECT_TRUE(text.empty());
    std::u16string loneLow = u"a";
    loneLow.push_back(0xDE00);
    loneLow.push_back(u'b');
    EXPECT_FALSE(EncodeUTF8(loneLow, text));
}
