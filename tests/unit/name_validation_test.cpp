#include "options/name_validation.h"

#include <gtest/gtest.h>

#include <string>

TEST(NameValidation, ShiftJISAndUTF8Tables)
{
    struct Case {
        std::string text;
        int shiftJIS;
        int utf8;
    } cases[] = {
        {"", 1, 1},
        {"Report 2024 (final).pdf", 1, 1},
        {"a\tb", 0, 1},
        {"a\x7F", 0, 1},
        {"a\x80z", 0, 1},
        {"a\xA0z", 0, 1},
        {"a\xFD", 0, 1},
        {"\x93\xFA\x96\x7B\x82\xA0\x83\x41", 1, 1}, // kanji and kana
        {"\xB1\xB2\xDF", 1, 1},                      // half-width katakana
        {"\x82\x0A", 1, 1},                          // the unit decides, not the trail byte
        // A lone lead byte at the end pairs with the terminating zero.
        {"ab\x88", 1, 1},
        {"ab\x81", 0, 1},
        {"ab\xE0", 0, 1},
        // U+00E0 in UTF-8 after ASCII: 0xC3 passes as a byte, 0xA0 does not.
        {"abc\xC3\xA0", 0, 1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ValidateDada(c.text.c_str(), &docuNameValidateDataScale), c.shiftJIS) << c.text;
        EXPECT_EQ(ValidateDada(c.text.c_str(), &docuNameValidateDataScaleForProduct03),
                  c.shiftJIS)
            << c.text;
        EXPECT_EQ(ValidateDada(c.text.c_str(), &docuNameValidateDataScaleForProduct03UTF8),
                  c.utf8)
            << c.text;
    }
}

TEST(NameValidation, WordCheck)
{
    const ValidateDataScale &t = docuNameValidateDataScale;
    EXPECT_EQ(ISWordValid("\x81\x40", t.wordRangeCount, t.wordRanges), 1);
    EXPECT_EQ(ISWordValid("\x81\x3F", t.wordRangeCount, t.wordRanges), 0);
    EXPECT_EQ(ISWordValid("\xFC\xFC", t.wordRangeCount, t.wordRanges), 1);
    EXPECT_EQ(ISWordValid("\xFC\xFD", t.wordRangeCount, t.wordRanges), 0);
    EXPECT_EQ(ISWordValid("\x88", t.wordRangeCount, t.wordRanges), 1);
    EXPECT_EQ(ISWordValid("\x81\x40", 0, t.wordRanges), 0);
    EXPECT_EQ(ISWordValid("\x81\x40", -1, t.wordRanges), 0);
}

// A table without byte ranges accepts only what its word ranges accept.
TEST(NameValidation, TableWithoutByteRanges)
{
    ValidateDataScale wordsOnly = {0, {}, 1, {{0x8140, 0x9FFC}}};
    EXPECT_EQ(ValidateDada("", &wordsOnly), 1);
    EXPECT_EQ(ValidateDada("\x82\xA0", &wordsOnly), 1);
    EXPECT_EQ(ValidateDada("a", &wordsOnly), 0);
}
