// Host name cut and bound, the address choice, and the address lookup.
#include "host/UtilityFunctionFilter.h"
#include "support/filter_run.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

std::string gFakeName;
bool gFakeFails = false;

// Behaves like gethostname, except that a name longer than the buffer
// fills it whole without a terminating zero.
int FakeHostName(char *name, size_t length)
{
    if (gFakeFails)
        return -1;
    std::memcpy(name, gFakeName.data(), std::min(length, gFakeName.size() + 1));
    return 0;
}

class ScopedPpd {
public:
    explicit ScopedPpd(const std::optional<std::string> &path)
    {
        if (const char *old = std::getenv("PPD"))
            old_ = old;
        if (path)
            setenv("PPD", path->c_str(), 1);
        else
            unsetenv("PPD");
    }
    ~ScopedPpd()
    {
        if (old_)
            setenv("PPD", old_->c_str(), 1);
        else
            unsetenv("PPD");
    }

private:
    std::optional<std::string> old_;
};

std::string Repeat(const std::string &piece, int count)
{
    std::string out;
    for (int i = 0; i < count; i++)
        out += piece;
    return out;
}

std::string PpdWithEncoding(const TempDir &dir, const std::string &encoding)
{
    std::string path = dir.file(encoding + ".ppd");
    WriteFile(path, ReadFile(Fixture("plain.ppd")) + "*QZPrinterLanguageEncoding: \"" +
                        encoding + "\"\n");
    return path;
}

class HostName : public ::testing::Test {
protected:
    void SetUp() override
    {
        gHostNameSource = FakeHostName;
        gFakeFails = false;
    }
    void TearDown() override { gHostNameSource = gethostname; }

    std::string Get(const std::optional<std::string> &ppd)
    {
        ScopedPpd scoped(ppd);
        char name[kHostNameSize + 8];
        std::memset(name, '#', sizeof(name));
        getHostName(name);
        EXPECT_EQ(std::string(name + kHostNameSize, 8), "########") << "wrote past the buffer";
        return name;
    }
};

} // namespace

TEST_F(HostName, CutsOnUTF8PrintersAndBoundsEverywhere)
{
    TempDir dir;
    const std::string utf8 = QZ_SOURCE_DIR "/ppd/orvex-vyx.ppd";
    const std::string plain = Fixture("plain.ppd");
    const std::string lower = PpdWithEncoding(dir, "utf-8");
    const std::string missing = dir.file("missing.ppd");
    const std::string name40 = Repeat("abcdefghij", 4);
    const std::string name100 = Repeat("0123456789", 10);
    const std::string kanji40 = Repeat("\xE6\xBC\xA2", 40);   // 40 x U+6F22, 3 bytes each
    const std::string wide20 = Repeat("\xF0\xA0\x80\x80", 20); // 20 x U+20000, 2 units each

    struct Case {
        const char *what;
        std::string name;
        std::optional<std::string> ppd;
        std::string expected;
    } cases[] = {
        {"40 ASCII, UTF-8 printer", name40, utf8, name40.substr(0, 32)},
        {"40 ASCII, other printer", name40, plain, name40},
        {"40 ASCII, encoding in lower case", name40, lower, name40},
        {"40 ASCII, PPD unreadable", name40, missing, name40},
        {"40 ASCII, no PPD", name40, std::nullopt, name40},
        {"100 ASCII, other printer", name100, plain, name100.substr(0, 96)},
        {"100 ASCII, UTF-8 printer", name100, utf8, name100.substr(0, 32)},
        {"32 ASCII, UTF-8 printer", name40.substr(0, 32), utf8, name40.substr(0, 32)},
        {"40 kanji, UTF-8 printer", kanji40, utf8, kanji40.substr(0, 96)},
        {"40 kanji, other printer", kanji40, plain, kanji40.substr(0, 96)},
        {"pairs count two units", wide20, utf8, wide20.substr(0, 16 * 4)},
        {"a pair is not split", name40.substr(0, 31) + wide20, utf8, name40.substr(0, 31)},
        {"invalid UTF-8 is not cut", std::string(40, '\xFF'), utf8, std::string(40, '\xFF')},
        {"name fills the whole buffer", std::string(300, 'n'), plain, std::string(96, 'n')},
        {"empty name", "", utf8, ""},
    };
    for (const auto &c : cases) {
        gFakeName = c.name;
        EXPECT_EQ(Get(c.ppd), c.expected) << c.what;
    }
}

TEST_F(HostName, FailingSourceGivesEmptyName)
{
    gFakeName = "stale";
    gFakeFails = true;
    EXPECT_EQ(Get(std::nullopt), "");
}

namespace {

SocketAddressData Bytes(const void *address, size_t length)
{
    const unsigned char *p = static_cast<const unsigned char *>(address);
    return SocketAddressData(p, p + length);
}

SocketAddressData V4(const char *text)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    EXPECT_EQ(inet_pton(AF_INET, text, &a.sin_addr), 1) << text;
    return Bytes(&a, sizeof(a));
}

SocketAddressData V6(const char *text, uint32_t scope = 0)
{
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    a.sin6_scope_id = scope;
    EXPECT_EQ(inet_pton(AF_INET6, text, &a.sin6_addr), 1) << text;
    return Bytes(&a, sizeof(a));
}

// Entries that getnameinfo cannot turn into text.
SocketAddressData UnknownFamily()
{
    sockaddr_in a{};
    a.sin_family = AF_UNSPEC;
    return Bytes(&a, sizeof(a));
}

SocketAddressData Truncated()
{
    SocketAddressData whole = V4("192.0.2.1");
    whole.resize(4);
    return whole;
}

struct Choice {
    std::string text;
    int result;
    bool operator==(const Choice &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Choice &c)
{
    return os << "\"" << c.text << "\" result " << c.result;
}

Choice Choose(const SocketAddressArray &list, int size = 255)
{
    char buffer[300];
    std::memset(buffer, 0, sizeof(buffer));
    std::memset(buffer + size, '#', sizeof(buffer) - static_cast<size_t>(size));
    outString = buffer;
    outStringLen = size;
    result = 0;
    MyPrintAddressArray(list);
    outString = nullptr;
    outStringLen = 0;
    EXPECT_EQ(buffer[size], '#') << "wrote past the buffer";
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(size)).find_first_not_of('\0',
                                                                            std::strlen(buffer)),
              std::string::npos)
        << "bytes after the text must be zero";
    return Choice{buffer, result};
}

} // namespace

TEST(AddressChoice, Table)
{
    struct Case {
        const char *what;
        SocketAddressArray list;
        Choice expected;
    } cases[] = {
        {"IPv6 then IPv4", {V6("2001:db8::5"), V4("192.168.0.5")}, {"192.168.0.5", 1}},
        {"first IPv4 wins", {V4("10.0.0.1"), V4("192.168.0.5")}, {"10.0.0.1", 1}},
        {"IPv4 stops the walk", {V4("10.0.0.1"), UnknownFamily()}, {"10.0.0.1", 1}},
        {"loopback and link-local", {V4("127.0.0.1"), V6("fe80::1")}, {"", 1}},
        {"link-local with scope", {V6("fe80::1", 1), V4("127.0.0.1")}, {"", 1}},
        {"other loopback is taken", {V4("127.0.0.1"), V4("127.0.0.2")}, {"127.0.0.2", 1}},
        {"two IPv6: the last",
         {V6("2001:db8:aaaa:bbbb:cccc::1"), V6("2001:db8::2")},
         {"2001:db8::2", 1}},
        {"IPv4 after IPv6 replaces it", {V6("2001:db8::1"), V4("10.1.2.3")}, {"10.1.2.3", 1}},
        {"empty list", {}, {"", 0}},
        {"entry that does not convert", {UnknownFamily()}, {"", 0}},
        {"entry without bytes", {SocketAddressData()}, {"", 0}},
        {"truncated entry", {Truncated()}, {"", 0}},
        {"IPv6 then a failed entry", {V6("2001:db8::1"), UnknownFamily()}, {"2001:db8::1", 0}},
        {"failed entry then IPv4", {UnknownFamily(), V4("10.0.0.9")}, {"10.0.0.9", 1}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Choose(c.list), c.expected) << c.what;
}

TEST(AddressChoice, TextIsCutToTheBuffer)
{
    EXPECT_EQ(Choose({V4("192.168.100.200")}, 8), (Choice{"192.168", 1}));
    EXPECT_EQ(Choose({V4("192.168.100.200")}, 1), (Choice{"", 1}));
}

TEST(HostAddress, LooksUpAndChooses)
{
    struct Case {
        const char *name;
        Choice expected;
    } cases[] = {
        {"192.168.0.5", {"192.168.0.5", 1}},
        {"2001:db8::7", {"2001:db8::7", 1}},
        {"127.0.0.1", {"", 1}},
        {"no-such-host.invalid", {"", 0}},
        {"", {"", 0}},
    };
    for (const auto &c : cases) {
        char out[255];
        std::memset(out, 'x', sizeof(out));
        int rc = getHostAddress(c.name, out, sizeof(out));
        EXPECT_EQ(rc, result) << c.name;
        EXPECT_EQ((Choice{std::string(out, strnlen(out, sizeof(out))), rc}), c.expected)
            << c.name;
    }
}

TEST(HostAddress, UnusableArgumentsLeaveTheOutputAlone)
{
    char out[16] = "untouched";
    char kept[16];
    std::memcpy(kept, out, sizeof(out));

    result = 1;
    EXPECT_EQ(getHostAddress(nullptr, out, sizeof(out)), 0);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(getHostAddress("192.0.2.1", nullptr, 16), 0);
    EXPECT_EQ(getHostAddress("192.0.2.1", out, -1), 0);
    EXPECT_EQ(getHostAddress("192.0.2.1", out, 0), 0);
    EXPECT_EQ(getHostAddress("h\xC3\xB6st", out, sizeof(out)), 0);
    EXPECT_EQ(std::memcmp(out, kept, sizeof(out)), 0);
}

TEST(HostAddress, EachLookupStartsFromNothing)
{
    char out[64];
    ASSERT_EQ(getHostAddress("192.168.0.5", out, sizeof(out)), 1);
    EXPECT_EQ(getHostAddress("no-such-host.invalid", out, sizeof(out)), 0);
    EXPECT_STREQ(out, "");
}
