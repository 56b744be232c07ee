// The owner block written from a record filled by hand: the choice of
// credentials, the date and time, the computer name, the owner, the host
// address and the password.
#include "host/UtilityFunctionFilter.h"
#include "options/print_options.h"
#include "pjl/owner.h"
#include "support/capture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

time_t gNow = 0;
int gClockReads = 0;
std::string gHost;
bool gHostFails = false;
int gHostReads = 0;

time_t FakeClock()
{
    gClockReads++;
    return gNow;
}

int FakeHostName(char *name, size_t length)
{
    gHostReads++;
    if (gHostFails)
        return -1;
    std::memcpy(name, gHost.data(), std::min(length, gHost.size() + 1));
    return 0;
}

time_t LocalTime(int year, int month, int day, int hour, int minute, int second)
{
    struct tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return mktime(&t);
}

template <size_t N>
void Set(char (&field)[N], const std::string &value)
{
    std::memset(field, 0, N);
    std::memcpy(field, value.data(), std::min(value.size(), N - 1));
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Attr(const std::string &name, const std::string &value)
{
    return "@PJL SET JOBATTR=\"@" + name + "=" + value + "\"";
}

// Value of a JOBATTR line, or nullopt when the line is not one of name.
std::optional<std::string> AttrValue(const std::string &line, const std::string &name)
{
    std::string prefix = "@PJL SET JOBATTR=\"@" + name + "=";
    if (line.rfind(prefix, 0) != 0 || line.back() != '"')
        return std::nullopt;
    return line.substr(prefix.size(), line.size() - prefix.size() - 1);
}

class Owner : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearPrintOptions(&options);
        JBAOptionRec &jba = options.JBAOption;
        jba.manageType = jba.adminUserIDListCtrl = jba.adminUserInputRadio = -1;
        gNow = LocalTime(2024, 7, 4, 9, 5, 6);
        gClockReads = 0;
        gHost = "192.168.0.5";
        gHostFails = false;
        gHostReads = 0;
        savedClock = gOwnerClock;
        savedSource = gHostNameSource;
        gOwnerClock = FakeClock;
        gHostNameSource = FakeHostName;
        if (const char *ppd = std::getenv("PPD"))
            savedPpd = ppd;
        unsetenv("PPD");
    }
    void TearDown() override
    {
        gOwnerClock = savedClock;
        gHostNameSource = savedSource;
        if (savedPpd)
            setenv("PPD", savedPpd->c_str(), 1);
    }

    std::vector<std::string> Run(const char *user = "alice")
    {
        char *argv[] = {const_cast<char *>("qzpdftopjl"), const_cast<char *>("7"),
                        const_cast<char *>(user), const_cast<char *>("t"),
                        const_cast<char *>("1"), const_cast<char *>(""), nullptr};
        int rc = 0;
        std::string out = CaptureStdout([&] { rc = PutJACommand(argv, &options); });
        EXPECT_EQ(rc, 1);
        return Lines(out);
    }

    // (JOAU, JOEP) of every owner block, in order.
    std::vector<std::pair<std::string, std::string>> Credentials()
    {
        std::vector<std::pair<std::string, std::string>> blocks;
        for (const std::string &line : Run()) {
            if (auto owner = AttrValue(line, "JOAU"))
                blocks.push_back({*owner, ""});
            if (auto password = AttrValue(line, "JOEP"))
                blocks.back().second = *password;
        }
        return blocks;
    }

    PrintOptions options;
    std::optional<std::string> savedPpd;
    time_t (*savedClock)() = nullptr;
    int (*savedSource)(char *, size_t) = nullptr;
};

} // namespace

TEST_F(Owner, WholeBlock)
{
    EXPECT_EQ(Run(), (std::vector<std::string>{
                         "@PJL COMMENT DATE=07/04/2024",
                         "@PJL COMMENT TIME=09:05:06",
                         Attr("CNAM", "192.168.0.5"),
                         Attr("JOAU", "alice"),
                         Attr("HOAD", "IC0A805"),
                         Attr("JOEP", ""),
                     }));
    EXPECT_EQ(gClockReads, 1);
}

TEST_F(Owner, CredentialsByModeListAndRadio)
{
    using Blocks = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        const char *what;
        int mode, list, radio;
        const char *inputID, *inputPassword, *adminID, *login;
        Blocks expected;
    } cases[] = {
        {"mode absent", -1, 2, 1, "iu", "ip", "au", "lg", {{"alice", ""}}},
        {"mode 0", 0, 2, -1, "", "", "au", "lg", {{"alice", ""}}},
        {"mode 3", 3, 1, 1, "iu", "ip", "au", "lg", {{"alice", ""}}},
        {"mode 2, list 2", 2, 2, -1, "", "", "au", "lg", {{"u2", "p2"}}},
        {"mode 2, list 1", 2, 1, -1, "", "", "au", "lg", {{"lg", "p2"}}},
        {"mode 2, list other", 2, 0, -1, "", "", "au", "lg", {{"alice", "p2"}}},
        {"mode 2, list other, radio", 2, 0, 1, "iu", "ip", "au", "lg",
         {{"iu", "ip"}, {"iu", "p2"}}},
        {"mode 2, list 2, radio", 2, 2, 1, "iu", "ip", "au", "lg", {{"iu", "ip"}, {"u2", "p2"}}},
        {"mode 1, list 2", 1, 2, -1, "", "", "au", "lg", {{"au", "ap"}}},
        {"mode 1, list 1", 1, 1, -1, "", "", "au", "lg", {{"lg", "ap"}}},
        {"mode 1, list other", 1, 5, -1, "", "", "au", "lg", {{"alice", ""}}},
        {"mode 1, list 2, radio, both IDs", 1, 2, 1, "iu", "ip", "au", "lg",
         {{"iu", "ip"}, {"au", "ap"}}},
        {"radio with empty input ID", 1, 2, 1, "", "ip", "au", "lg",
         {{"alice", ""}, {"au", "ap"}}},
        {"mode 1, radio, empty admin ID", 1, 2, 1, "iu", "ip", "", "lg",
         {{"iu", "ip"}, {"alice", "ip"}}},
        {"mode 1, list 2, empty admin ID", 1, 2, -1, "iu", "ip", "", "lg", {{"alice", ""}}},
        {"mode 1, list 1, empty login, radio", 1, 1, 1, "iu", "ip", "au", "",
         {{"iu", "ip"}, {"alice", "ip"}}},
        {"mode 1, list other, radio", 1, 0, 1, "iu", "ip", "au", "lg",
         {{"iu", "ip"}, {"iu", "ap"}}},
        {"radio value 2 is off", 1, 2, 2, "iu", "ip", "au", "lg", {{"au", "ap"}}},
    };
    for (const auto &c : cases) {
        ClearPrintOptions(&options);
        JBAOptionRec &jba = options.JBAOption;
        jba.manageType = c.mode;
        jba.adminUserIDListCtrl = c.list;
        jba.adminUserInputRadio = c.radio;
        Set(jba.inputUserID, c.inputID);
        Set(jba.inputUserPassword, c.inputPassword);
        Set(jba.adminUserID, c.adminID);
        Set(jba.adminUserPassword, "ap");
        Set(jba.userID, "u2");
        Set(jba.userPassword, "p2");
        Set(jba.login, c.login);
        EXPECT_EQ(Credentials(), c.expected) << c.what;
    }
}

TEST_F(Owner, EmptyModeTwoPasswordIsSentEmpty)
{
    options.JBAOption.manageType = 2;
    options.JBAOption.adminUserIDListCtrl = 2;
    Set(options.JBAOption.userID, "u2");
    EXPECT_EQ(Credentials(), (std::vector<std::pair<std::string, std::string>>{{"u2", ""}}));
}

TEST_F(Owner, TwoBlocksReadTheClockOnceEach)
{
    options.JBAOption.manageType = 1;
    options.JBAOption.adminUserIDListCtrl = 2;
    options.JBAOption.adminUserInputRadio = 1;
    Set(options.JBAOption.inputUserID, "iu");
    Set(options.JBAOption.adminUserID, "au");
    std::vector<std::string> lines = Run();
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(gClockReads, 2);
    for (size_t block = 0; block < 2; block++) {
        EXPECT_EQ(lines[block * 6], "@PJL COMMENT DATE=07/04/2024");
        EXPECT_EQ(lines[block * 6 + 4], Attr("HOAD", "IC0A805"));
    }
}

TEST_F(Owner, DateAndTimeFormats)
{
    struct Case {
        time_t when;
        const char *date, *time;
    } cases[] = {
        {LocalTime(2024, 7, 4, 9, 5, 6), "DATE=07/04/2024", "TIME=09:05:06"},
        {LocalTime(2025, 1, 2, 0, 0, 0), "DATE=01/02/2025", "TIME=00:00:00"},
        {LocalTime(1999, 12, 31, 23, 59, 59), "DATE=12/31/1999", "TIME=23:59:59"},
    };
    for (const auto &c : cases) {
        gNow = c.when;
        std::vector<std::string> lines = Run();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0], std::string("@PJL COMMENT ") + c.date);
        EXPECT_EQ(lines[1], std::string("@PJL COMMENT ") + c.time);
    }
}

TEST_F(Owner, DateAndTimeFromTheTicketAreSentAsGiven)
{
    Set(options.JBAOption.printDate, "2024-07-04");
    Set(options.JBAOption.printTime, "not a time");
    std::vector<std::string> lines = Run();
    EXPECT_EQ(lines[0], "@PJL COMMENT DATE=2024-07-04");
    EXPECT_EQ(lines[1], "@PJL COMMENT TIME=not a time");

    Set(options.JBAOption.printDate, "");
    lines = Run();
    EXPECT_EQ(lines[0], "@PJL COMMENT DATE=07/04/2024");
    EXPECT_EQ(lines[1], "@PJL COMMENT TIME=not a time");
}

TEST_F(Owner, ComputerNameByOrderOfChoice)
{
    const std::string kanji = "\xE6\xBC\xA2\xE5\xAD\x97"; // two kanji, UTF-8
    const std::string kanjiSjis = "\x8A\xBF\x8E\x9A";
    struct Case {
        const char *what;
        std::string mac, host, encoding;
        bool hostFails;
        std::string expected;
    } cases[] = {
        {"computer name, UTF-8 printer", kanji, "h", "UTF-8", false, kanji},
        {"computer name, other printer", kanji, "h", "ISOLatin1", false, kanjiSjis},
        {"computer name, no encoding", "mac-1", "h", "", false, "mac-1"},
        {"encoding compared exactly", kanji, "", "utf-8", false, kanjiSjis},
        {"host name, unchanged", "", kanji, "ISOLatin1", false, kanji},
        {"local host name", "", "", "UTF-8", false, "192.168.0.5"},
        {"no local host name", "", "", "UTF-8", true, ""},
    };
    for (const auto &c : cases) {
        Set(options.JBAOption.macHostName, c.mac);
        Set(options.JBAOption.hostName, c.host);
        Set(options.PPDOption.printerLanguageEncoding, c.encoding);
        gHostFails = c.hostFails;
        std::vector<std::string> lines = Run();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[2], Attr("CNAM", c.expected)) << c.what;
    }
}

TEST_F(Owner, OwnerIsShiftJISOnEveryPrinter)
{
    Set(options.PPDOption.printerLanguageEncoding, "UTF-8");
    std::vector<std::string> lines = Run("\xE6\xBC\xA2\xE5\xAD\x97\\~");
    EXPECT_EQ(lines[3], Attr("JOAU", "\x8A\xBF\x8E\x9A\\~"));

    options.JBAOption.manageType = 2;
    options.JBAOption.adminUserIDListCtrl = 2;
    Set(options.JBAOption.userID, "\xE6\xBC\xA2");
    lines = Run();
    EXPECT_EQ(lines[3], Attr("JOAU", "\x8A\xBF"));
}

TEST_F(Owner, HostAddress)
{
    struct Case {
        const char *what;
        std::string ipAddress, host;
        bool hostFails;
        std::optional<std::string> expected; // nullopt: no HOAD line
    } cases[] = {
        {"from the ticket", "10.1.2.3", "192.168.0.5", false, "10.1.2.3"},
        {"ticket text not checked", "fe80::1", "", false, "fe80::1"},
        {"looked up", "", "192.168.0.5", false, "IC0A805"},
        {"looked up IPv6", "", "2001:db8::7", false, "I7D1"},
        {"only 127.0.0.1", "", "127.0.0.1", false, std::nullopt},
        {"name does not resolve", "", "no-such-host.invalid", false, std::nullopt},
        {"no host name", "", "", true, std::nullopt},
    };
    for (const auto &c : cases) {
        Set(options.JBAOption.ipAddress, c.ipAddress);
        gHost = c.host;
        gHostFails = c.hostFails;
        std::vector<std::string> lines = Run();
        std::optional<std::string> hoad;
        for (const auto &line : lines) {
            if (auto v = AttrValue(line, "HOAD"))
                hoad = v;
        }
        EXPECT_EQ(hoad, c.expected) << c.what;
        ASSERT_EQ(lines.size(), c.expected ? 6u : 5u) << c.what;
        EXPECT_TRUE(AttrValue(lines.back(), "JOEP")) << c.what;
    }
}

TEST_F(Owner, TicketAddressAndNamesMeanNoLookup)
{
    Set(options.JBAOption.ipAddress, "10.1.2.3");
    Set(options.JBAOption.macHostName, "mac");
    Run();
    EXPECT_EQ(gHostReads, 0);
}

TEST_F(Owner, LongCredentialsStayWithinTheLine)
{
    options.JBAOption.manageType = 2;
    options.JBAOption.adminUserIDListCtrl = 2;
    Set(options.JBAOption.userID, std::string(96, 'u'));
    Set(options.JBAOption.userPassword, std::string(2047, 'p'));
    Set(options.JBAOption.printDate, std::string(63, 'd'));
    std::vector<std::string> lines = Run();
    ASSERT_EQ(lines.size(), 6u);
    for (const auto &line : lines)
        EXPECT_LE(line.size() + 1, 254u) << line;
    EXPECT_EQ(lines[0], "@PJL COMMENT DATE=" + std::string(63, 'd'));
    EXPECT_EQ(lines[3], Attr("JOAU", std::string(96, 'u')));
    auto password = AttrValue(lines[5], "JOEP");
    ASSERT_TRUE(password);
    EXPECT_EQ(*password, std::string(password->size(), 'p'));
    EXPECT_GT(password->size(), 200u);
}

TEST(HostAddressValue, HexPieces)
{
    struct Case {
        const char *address, *expected;
    } cases[] = {
        {"192.168.0.5", "IC0A805"},
        {"10.0.0.1", "IA001"},
        {"172.16.254.1", "IAC10FE1"},
        {"255.255.255.255", "IFFFFFFFF"},
        {"2001:db8::7", "I7D1"},
        {"fe80::2", "I0"},
        {"::ffff:10.0.0.1", "I0001"},
        {"1..2.", "I12"},
        {"12ab.x", "IC0"},
        {"", "I"},
    };
    for (const auto &c : cases) {
        char value[255];
        std::memset(value, 'x', sizeof(value));
        MakeHostAddressValue(c.address, value, sizeof(value));
        EXPECT_STREQ(value, c.expected) << c.address;
    }
}
