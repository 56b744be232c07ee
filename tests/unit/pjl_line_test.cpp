#include "options/print_options.h"
#include "pjl/header.h"
#include "pjl/pjl_line.h"
#include "support/capture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Command(const char *kind, const std::string &name, const std::string &value)
{
    return CaptureStdout([&] { MakePJLCommand(kind, name.c_str(), value.c_str()); });
}

std::string Comment(const std::string &text)
{
    return CaptureStdout([&] { PutPJLComment(text.c_str()); });
}

} // namespace

TEST(PjlLine, Forms)
{
    EXPECT_EQ(Command("SET", "STRINGCODESET", "\"UTF8\""), "@PJL SET STRINGCODESET=\"UTF8\"\n");
    EXPECT_EQ(Command("ATTR", "FSIZ", "512"), "@PJL SET JOBATTR=\"@FSIZ=512\"\n");
    EXPECT_EQ(Comment("begin"), "@PJL COMMENT begin\n");
    EXPECT_EQ(Command("JOB", "X", "1"), "");
    EXPECT_EQ(Command("set", "X", "1"), "");
}

TEST(PjlLine, QuotesInsideValuesStay)
{
    EXPECT_EQ(Command("ATTR", "JOAU", "a\"b"), "@PJL SET JOBATTR=\"@JOAU=a\"b\"\n");
}

// Control bytes in option texts would start new PJL commands or leave PJL.
TEST(PjlLine, ControlBytesAreDropped)
{
    struct Case {
        std::string value;
        std::string expected;
    } cases[] = {
        {"a\nb", "ab"},
        {"a\r\nb", "ab"},
        {"\033%-12345X@PJL", "%-12345X@PJL"},
        {std::string("x\x7Fy\x01z\x1F", 6), "xyz"},
        {"\t", ""},
        {"k\xC3\xA4se", "k\xC3\xA4se"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Command("SET", "USERNAME", c.value), "@PJL SET USERNAME=" + c.expected + "\n");
        EXPECT_EQ(Comment("DNAME=" + c.value), "@PJL COMMENT DNAME=" + c.expected + "\n");
    }
    EXPECT_EQ(Command("SET", "A\nB", "1"), "@PJL SET AB=1\n");
}

TEST(PjlLine, NulInsideBufferEndsText)
{
    char value[] = {'a', '\0', 'b', '\0'};
    EXPECT_EQ(CaptureStdout([&] { MakePJLCommand("SET", "N", value); }), "@PJL SET N=a\n");
}

TEST(PjlLine, LineLimit)
{
    // SET: 9 + name + 1 + value + 1 <= 254, so name + value <= 243.
    std::string name = "USERNAME";
    std::string fits(243 - name.size(), 'v');
    std::string line = Command("SET", name, fits);
    EXPECT_EQ(line.size(), 254u);
    EXPECT_EQ(line, "@PJL SET " + name + "=" + fits + "\n");

    line = Command("SET", name, fits + "xyz");
    EXPECT_EQ(line, "@PJL SET " + name + "=" + fits + "\n");

    // JOBATTR: name + value <= 232.
    std::string attr(232 - 4, 'w');
    EXPECT_EQ(Command("ATTR", "JOEP", attr).size(), 254u);
    EXPECT_EQ(Command("ATTR", "JOEP", attr + "more"),
              "@PJL SET JOBATTR=\"@JOEP=" + attr + "\"\n");

    // COMMENT: text <= 240.
    std::string text(240, 'c');
    EXPECT_EQ(Comment(text).size(), 254u);
    EXPECT_EQ(Comment(text + "dd"), "@PJL COMMENT " + text + "\n");
}

TEST(PjlLine, QuotedValueKeepsBothQuotesWhenCut)
{
    std::string password(2000, 'p');
    std::string line = Command("SET", "HOLDKEY", "\"" + password + "\"");
    ASSERT_EQ(line.size(), 254u);
    EXPECT_EQ(line.substr(0, 18), "@PJL SET HOLDKEY=\"");
    EXPECT_EQ(line.substr(line.size() - 3), "p\"\n");
    EXPECT_EQ(line[line.size() - 2], '"');
    EXPECT_EQ(line[line.size() - 3], 'p');

    // A quoted value that fits is unchanged; a lone quote is not a pair.
    EXPECT_EQ(Command("SET", "JOBNAME", "\"\""), "@PJL SET JOBNAME=\"\"\n");
    std::string unquoted = "\"" + password;
    line = Command("SET", "X", unquoted);
    EXPECT_EQ(line.size(), 254u);
    EXPECT_EQ(line[line.size() - 2], 'p');
}

TEST(PjlLine, LongControlBytesDoNotCountTowardsTheLimit)
{
    std::string value = std::string(300, '\n') + "ok";
    EXPECT_EQ(Command("SET", "N", value), "@PJL SET N=ok\n");
}

TEST(PjlHeader, StringCodeSet)
{
    struct Case {
        const char *encoding;
        const char *line;
    } cases[] = {
        {"UTF-8", "@PJL SET STRINGCODESET=\"UTF8\"\n"},
        {"utf-8", "@PJL SET STRINGCODESET=\"SJISX0208\"\n"},
        {"ISOLatin1", "@PJL SET STRINGCODESET=\"HPROMAN8\"\n"},
        {"", "@PJL SET STRINGCODESET=\"SJISX0208\"\n"},
        {"ShiftJIS", "@PJL SET STRINGCODESET=\"SJISX0208\"\n"},
    };
    for (const auto &c : cases) {
        PrintOptions options;
        ClearPrintOptions(&options);
        std::strcpy(options.PPDOption.printerLanguageEncoding, c.encoding);
        EXPECT_EQ(CaptureStdout([&] { OutputPJLPrinterLanguageEncoding(&options); }), c.line)
            << c.encoding;
    }
}

TEST(PjlHeader, FileSizeIsExactSixtyFourBit)
{
    struct Case {
        int64_t size;
        const char *line;
    } cases[] = {
        {0, "@PJL SET JOBATTR=\"@FSIZ=0\"\n"},
        {512, "@PJL SET JOBATTR=\"@FSIZ=512\"\n"},
        {2147483648LL, "@PJL SET JOBATTR=\"@FSIZ=2147483648\"\n"},
        {5000000000LL, "@PJL SET JOBATTR=\"@FSIZ=5000000000\"\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CaptureStdout([&] { OutputFileSizeCommand(c.size); }), c.line);
}

TEST(PjlHeader, FixedLinesAndTrailer)
{
    EXPECT_EQ(CaptureStdout([] { MakeCommonComments(); }),
              "@PJL COMMENT begin\n@PJL COMMENT Version:4.00\n");
    EXPECT_EQ(CaptureStdout([] { PutEnterLanguage(); }), "@PJL ENTER LANGUAGE=PDF\n");
    EXPECT_EQ(CaptureStdout([] { OutputXPJLTrailer(nullptr, nullptr); }),
              "\033%-12345X@PJL EOJ\n");
}
