#include "options/text_convert.h"
#include "support/capture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Convert = void (*)(const char *, char *, int);

struct Result {
    std::string text;
    std::string err;
};

// Runs a conversion into a buffer with guard bytes on both sides, and
// checks that nothing outside the destination was touched.
Result RunConvert(Convert convert, const std::string &source, int size)
{
    std::vector<char> buffer(static_cast<size_t>(size) + 16, '#');
    char *dest = buffer.data() + 8;
    Result r;
    r.err = CaptureStderr([&] { convert(source.c_str(), dest, size); });
    r.text = dest;
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(buffer[static_cast<size_t>(i)], '#');
        EXPECT_EQ(buffer[static_cast<size_t>(size + 8 + i)], '#');
    }
    for (int i = static_cast<int>(r.text.size()); i < size; i++)
        EXPECT_EQ(dest[i], '\0') << "byte " << i << " not cleared";
    return r;
}

const std::string kNichi = "\xE6\x97\xA5";       // U+65E5, Shift_JIS 93 FA
const std::string kGrin = "\xF0\x9F\x98\x80";    // U+1F600, outside the BMP
const std::string kThai = "\xE0\xB8\x81";        // U+0E01, not in JIS X 0213

} // namespace

TEST(TextConvert, CasesForBothTargets)
{
    struct Case {
        std::string source;
        int size;
        std::string shiftJIS;
        std::string utf8;
    } cases[] = {
        {"", 16, "", ""},
        {"a\\b~c", 16, "a\\b~c", "a\\b~c"},
        {"abcdefghij", 5, "abcd", "abcd"},
        {"abc", 1, "", ""},
        // Kanji only, cut by bytes: an even size ends inside a kanji.
        {kNichi + kNichi + kNichi + kNichi + kNichi, 6, "\x93\xFA\x93\xFA\x93",
         kNichi + "\xE6\x97"},
        {kNichi + kNichi + kNichi + kNichi + kNichi, 5, "\x93\xFA\x93\xFA", kNichi + "\xE6"},
        // Both surrogate halves have no encoding of their own.
        {"a" + kGrin + "b", 16, "ab", "ab"},
        {"a" + kThai + "b", 16, "ab", "a" + kThai + "b"},
        {"\xE3\x81\x82\xEF\xBD\xA1", 16, "\x82\xA0\xA1", "\xE3\x81\x82\xEF\xBD\xA1"},
        // A kana and a combining mark stay apart; the mark alone has no code.
        {"\xE3\x81\x8B\xE3\x82\x9A", 16, "\x82\xA9", "\xE3\x81\x8B\xE3\x82\x9A"},
    };
    for (const auto &c : cases) {
        Result sj = RunConvert(ConvertUTF8ToEncoding, c.source, c.size);
        EXPECT_EQ(sj.text, c.shiftJIS) << c.source;
        EXPECT_EQ(sj.err, "");
        Result u8 = RunConvert(ConvertUTF8ToEncodingForUTF8, c.source, c.size);
        EXPECT_EQ(u8.text, c.utf8) << c.source;
        EXPECT_EQ(u8.err, "");
    }
}

TEST(TextConvert, InvalidUTF8GivesOneMessageAndNothing)
{
    const char *invalid[] = {"abc\xFF", "\xC3", "a\xED\xA0\x80"};
    for (const char *source : invalid) {
        for (Convert convert : {ConvertUTF8ToEncoding, ConvertUTF8ToEncodingForUTF8}) {
            Result r = RunConvert(convert, source, 32);
            EXPECT_EQ(r.text, "");
            EXPECT_EQ(r.err, "CFStringCreateWithCString fail\n");
        }
    }
}
