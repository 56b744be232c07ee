#include "options/ticket_tables.h"
#include "platform/cups_handles.h"
#include "support/capture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Decodes text in a 1024-byte buffer, as the getters do.
std::string Decode(const std::string &text)
{
    char buffer[1024] = {0};
    std::memcpy(buffer, text.data(), text.size());
    numstrtochar(buffer, sizeof(buffer));
    return buffer;
}

std::string NumberUp(const std::string &optionString)
{
    CupsOptions options(optionString.c_str());
    char field[64];
    std::memset(field, '#', sizeof(field));
    GetNumberUpTicketString("number-up", options.count(), options.list(), field, sizeof(field));
    EXPECT_NE(std::memchr(field, '\0', sizeof(field)), nullptr);
    return field;
}

} // namespace

TEST(SlashNumbers, Decoding)
{
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {"/72/105", "Hi"},
        {"/72//105", "H"},  // an empty element is a zero byte: the text ends
        {"//72", ""},
        {"/", "/"},
        {"", ""},
        {"abc/72/105", "abc/72/105"},
        {"N4", "N4"},
        {"/72/", "H"},      // a trailing "/" adds no element
        {"/72", "H"},
        {"/255/1", "\xFF\x01"},
        {"/256/65", ""},
        {"/65/300", "A"},
        {"/-1", "\xFF"},
        {"/65/x/66", "A"},
        {"/ 65/66x", "AB"},
        {"/227/129/130", "\xE3\x81\x82"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Decode(c.in), c.out) << c.in;
}

TEST(SlashNumbers, Itoa)
{
    char buffer[12];
    EXPECT_STREQ(itoa(0, buffer, sizeof(buffer)), "");
    EXPECT_STREQ(itoa(7, buffer, sizeof(buffer)), "7");
    EXPECT_STREQ(itoa(1234, buffer, sizeof(buffer)), "1234");
    EXPECT_STREQ(itoa(-56, buffer, sizeof(buffer)), "-56");
    EXPECT_STREQ(itoa(INT_MIN, buffer, sizeof(buffer)), "-2147483648");
    char small[3];
    EXPECT_STREQ(itoa(42, small, sizeof(small)), "42");
    // Digits that do not fit stay out of the buffer.
    char *p = itoa(123, small, sizeof(small));
    EXPECT_GE(p, small);
    EXPECT_STREQ(p, "23");
}

TEST(TicketGetters, Integer)
{
    CupsOptions options("a=12 b=abc c=' 7x' d=-3 e='' f=99999999999");
    struct Case {
        const char *key;
        int result;
        int value;
    } cases[] = {
        {"absent", 0, -1}, {"a", 1, 12}, {"b", 1, 0},          {"c", 1, 7},
        {"d", 1, -3},      {"e", 1, 0},  {"f", 1, INT_MAX},
    };
    for (const auto &c : cases) {
        int value = 1234;
        EXPECT_EQ(GetTicketInteger(c.key, options.count(), options.list(), &value, 4), c.result)
            << c.key;
        EXPECT_EQ(value, c.value) << c.key;
    }
}

TEST(TicketGetters, TextGettersDecodeConvertAndStayInTheirField)
{
    const std::string grin = "\xF0\x9F\x98\x80";
    const std::string longValue(100, 'x');
    std::string optionString = "slash=/72/105 plain=a/b nichi=\xE6\x97\xA5 grin=a" + grin +
                               "b long=" + longValue + " empty=''";
    CupsOptions options(optionString.c_str());

    struct Case {
        TicketGetter getter;
        const char *key;
        int size;
        std::string expected;
    } cases[] = {
        {GetTicketStringConvertedToPrtLang, "absent", 16, ""},
        {GetTicketStringConvertedToPrtLang, "slash", 16, "Hi"},
        {GetTicketStringConvertedToPrtLang, "plain", 16, "a/b"},
        {GetTicketStringConvertedToPrtLang, "grin", 16, "a" + grin + "b"},
        {GetTicketStringConvertedToPrtLang, "long", 33, std::string(32, 'x')},
        {GetTicketStringConvertedToPrtLang, "empty", 16, ""},
        {GetTicketStringConvertedToPrtLangForUTF8, "absent", 16, ""},
        {GetTicketStringConvertedToPrtLangForUTF8, "slash", 16, "Hi"},
        {GetTicketStringConvertedToPrtLangForUTF8, "grin", 16, "ab"},
        {GetTicketStringConvertedToPrtLangForUTF8, "nichi", 16, "\xE6\x97\xA5"},
        {GetTicketStringConvertedToPrtLangForUTF8, "long", 33, std::string(32, 'x')},
        {GetTicketPasswordStringConvertedToEncryption, "absent", 16, ""},
        {GetTicketPasswordStringConvertedToEncryption, "nichi", 16, "\x93\xFA"},
        {GetTicketPasswordStringConvertedToEncryption, "grin", 16, "ab"},
        {GetTicketPasswordStringConvertedToEncryption, "long", 33, std::string(32, 'x')},
    };
    for (const auto &c : cases) {
        std::vector<char> buffer(static_cast<size_t>(c.size) + 1, '#');
        c.getter(c.key, options.count(), options.list(), buffer.data(), c.size);
        EXPECT_EQ(std::string(buffer.data()), c.expected) << c.key;
        EXPECT_EQ(buffer.back(), '#') << c.key << ": wrote past the field";
    }
}

// A decoded value that is not UTF-8 cannot be converted.
TEST(TicketGetters, ConvertingGetterReportsInvalidUTF8)
{
    CupsOptions options("bad=/255/65");
    char field[16];
    std::string err = CaptureStderr([&] {
        GetTicketPasswordStringConvertedToEncryption("bad", options.count(), options.list(),
                                                     field, sizeof(field));
    });
    EXPECT_STREQ(field, "");
    EXPECT_EQ(err, "CFStringCreateWithCString fail\n");

    GetTicketStringConvertedToPrtLang("bad", options.count(), options.list(), field,
                                      sizeof(field));
    EXPECT_STREQ(field, "\xFF" "A");
}

TEST(TicketGetters, NumberUpFromEachSource)
{
    const std::string rows = "com.apple.print.PrintSettings.PMLayoutRows..n.=";
    const std::string cols = "com.apple.print.PrintSettings.PMLayoutColumns..n.=";
    struct Case {
        std::string options;
        std::string expected;
    } cases[] = {
        {"", "1"},
        {"number-up=4", "N4"},
        {"number-up=1", "N1"},
        {"number-up=6 " + rows + "2 " + cols + "2", "N6"},
        {rows + "2 " + cols + "2", "N4"},
        {rows + "1 " + cols + "1", "1"},
        {rows + "0 " + cols + "3", "N"},
        {rows + "3", "N3"},       // a missing count is 1
        {cols + "1", "1"},
        {rows + "9 " + cols + "11", "N99"},
        {rows + "10 " + cols + "10", "N100"},
        {rows + "-1 " + cols + "2", "N-2"},
        {rows + "x " + cols + "4", "N"},
        {rows + "2147483647 " + cols + "2147483647", "N4611686014132420609"},
        {"number-up=" + std::string(100, '9'), "N" + std::string(62, '9')},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NumberUp(c.options), c.expected) << c.options;
}

// Every table row points at a field of the staging blocks with that
// field's width, and the two variants differ only in the name getters.
TEST(TicketTables, VariantsMatchRowForRow)
{
    struct Pair {
        const TicketData *plain;
        const TicketData *utf8;
        int count;
    } pairs[] = {
        {PrintTypeticketData, PrintTypeticketDataForUTF8, 5},
        {JBAticketDataCommon, JBAticketDataCommonForUTF8, 11},
        {JBAticketDataAdmin, JBAticketDataAdminForUTF8, 4},
    };
    for (const auto &p : pairs) {
        for (int i = 0; i < p.count; i++) {
            const TicketData &a = p.plain[i];
            const TicketData &b = p.utf8[i];
            EXPECT_STREQ(a.key, b.key);
            EXPECT_EQ(a.value, b.value);
            EXPECT_EQ(a.size, b.size);
            if (a.getter == GetTicketStringConvertedToPrtLang &&
                b.getter == GetTicketStringConvertedToPrtLangForUTF8)
                continue;
            EXPECT_EQ(a.getter, b.getter) << a.key;
        }
    }
}
