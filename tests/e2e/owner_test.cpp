// The owner block of real jobs: credentials chosen by the accounting
// options, date and time, computer name, owner and host address. Most jobs
// run the filter with a fixed clock and host name; one runs the shipped
// filter against this machine's own name and addresses.
#include "support/filter_run.h"

#include <gtest/gtest.h>

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

namespace {

const std::string K = "com.orvex.vyx.printsettings.";
const std::string kUTF8Ppd = QZ_SOURCE_DIR "/ppd/orvex-vyx.ppd";
const std::string kKanji = "\xE6\xBC\xA2\xE5\xAD\x97";   // two kanji in UTF-8
const std::string kKanjiSjis = "\x8A\xBF\x8E\x9A";       // the same in Shift_JIS X0213
// Three kanji, the last (U+4FF1) only in JIS X 0213, and their Shift_JIS X0213 bytes.
const std::string kUserX0213 = kKanji + "\xE4\xBF\xB1";
const std::string kUserX0213Sjis = kKanjiSjis + "\x87\x9F";

std::string Attr(const std::string &name, const std::string &value)
{
    return "@PJL SET JOBATTR=\"@" + name + "=" + value + "\"";
}

using Lines = std::vector<std::string>;

// One owner block as the fixed clock and host name of the test filter give it.
Lines Block(const std::string &owner, const std::string &password,
            const std::string &cnam = "192.168.0.5", const std::string &hoad = "IC0A805")
{
    Lines lines{"@PJL COMMENT DATE=07/04/2024", "@PJL COMMENT TIME=09:05:06",
                Attr("CNAM", cnam), Attr("JOAU", owner)};
    if (!hoad.empty())
        lines.push_back(Attr("HOAD", hoad));
    lines.push_back(Attr("JOEP", password));
    return lines;
}

Lines Concat(Lines a, const Lines &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The header lines from the first DATE comment to the last JOEP attribute.
Lines OwnerSlice(const PjlJob &job)
{
    size_t first = job.header.size(), last = 0;
    for (size_t i = 0; i < job.header.size(); i++) {
        if (first == job.header.size() && job.header[i].rfind("@PJL COMMENT DATE=", 0) == 0)
            first = i;
        if (job.header[i].rfind("@PJL SET JOBATTR=\"@JOEP=", 0) == 0)
            last = i;
    }
    if (first > last)
        return {};
    return Lines(job.header.begin() + static_cast<long>(first),
                 job.header.begin() + static_cast<long>(last) + 1);
}

struct OwnerJob {
    std::string options;
    std::string user = "alice";
    std::string ppd = Fixture("plain.ppd");
    std::string hostName = "192.168.0.5";
};

PjlJob RunOwnerJob(const OwnerJob &spec, const TempDir &tmp)
{
    FilterRun run;
    run.args = JobArgs(spec.options, "test.pdf", "1", spec.user);
    run.args.push_back(Fixture("sample.pdf"));
    run.env["PPD"] = spec.ppd;
    run.env["TMPDIR"] = tmp.path();
    run.env["QZ_TEST_NOW"] = "2024-07-04 09:05:06";
    run.env["QZ_TEST_HOSTNAME"] = spec.hostName;
    FilterResult r = RunFilter(run, QZ_OWNER_FILTER_PATH);
    EXPECT_EQ(r.status, 0) << r.err;
    PjlJob job = ParsePjlJob(r.out);
    EXPECT_TRUE(job.wellFormed);
    return job;
}

} // namespace

TEST(OwnerBlock, CredentialsByAccountingMode)
{
    const std::string mode = K + "JBAManageTypeListTicketKey=";
    const std::string list = K + "JBAUserIDListCtrlTicket=";
    const std::string radio = K + "JBAAdminUserInputRadioBtnTicket=1";
    const std::string user2 = K + "JBAUserIDTextEditTicket=u2 " + K +
                              "JBAUserPasswordTextEditTicket=p2";
    const std::string admin = K + "JBAAdminUserIDTextEditTicket=au ";
    const std::string adminPassword = K + "JBAAdminUserPasswordTextEditTicket=ap";
    const std::string input = K + "JBAInputUserIDTextEditTicket=iu ";
    const std::string inputPassword = K + "JBAInputUserPasswordTextEditTicket=ip";
    const std::string login = K + "JBALoginTextEditTicket=lg";

    struct Case {
        const char *what;
        std::string options;
        Lines expected;
    } cases[] = {
        {"no accounting options", "", Block("alice", "")},
        {"mode 0", mode + "0 " + list + "2 " + user2, Block("alice", "")},
        {"mode 2, list 2", mode + "2 " + list + "2 " + user2, Block("u2", "p2")},
        {"mode 2, list 1", mode + "2 " + list + "1 " + user2 + " " + login, Block("lg", "p2")},
        {"mode 1, radio, both IDs",
         mode + "1 " + list + "2 " + radio + " " + input + inputPassword + " " + admin +
             adminPassword,
         Concat(Block("iu", "ip"), Block("au", "ap"))},
        {"radio with an empty input ID",
         mode + "1 " + list + "2 " + radio + " " + inputPassword + " " + admin + adminPassword,
         Concat(Block("alice", ""), Block("au", "ap"))},
        {"mode 1, radio, empty admin ID",
         mode + "1 " + list + "2 " + radio + " " + input + inputPassword + " " + adminPassword,
         Concat(Block("iu", "ip"), Block("alice", "ip"))},
        {"mode 1, empty admin ID", mode + "1 " + list + "2 " + adminPassword, Block("alice", "")},
        {"mode 1, list 1", mode + "1 " + list + "1 " + login + " " + adminPassword,
         Block("lg", "ap")},
    };
    for (const auto &c : cases) {
        TempDir tmp;
        OwnerJob spec;
        spec.options = c.options;
        EXPECT_EQ(OwnerSlice(RunOwnerJob(spec, tmp)), c.expected) << c.what;
    }
}

TEST(OwnerBlock, HostAddress)
{
    struct Case {
        const char *what;
        std::string options, hostName;
        Lines expected;
    } cases[] = {
        {"looked up", "", "192.168.0.5", Block("alice", "", "192.168.0.5", "IC0A805")},
        {"looked up, other address", "", "172.16.254.1",
         Block("alice", "", "172.16.254.1", "IAC10FE1")},
        {"only 127.0.0.1", "", "127.0.0.1", Block("alice", "", "127.0.0.1", "")},
        {"name does not resolve", "", "no-such-host.invalid",
         Block("alice", "", "no-such-host.invalid", "")},
        {"from the ticket", K + "JBAIPAddressStringTicket=10.1.2.3", "192.168.0.5",
         Block("alice", "", "192.168.0.5", "10.1.2.3")},
    };
    for (const auto &c : cases) {
        TempDir tmp;
        OwnerJob spec;
        spec.options = c.options;
        spec.hostName = c.hostName;
        EXPECT_EQ(OwnerSlice(RunOwnerJob(spec, tmp)), c.expected) << c.what;
    }
}

TEST(OwnerBlock, DateTimeAndNamesFromTheTicket)
{
    TempDir tmp;
    OwnerJob spec;
    spec.options = K + "JBAHkgnPrintDateTicketKey=2024/12/24 " + K +
                   "JBAHkgnPrintTimeTicketKey=18:30 " + K + "JBAHostNameStringTicket=office-7";
    Lines expected = Block("alice", "", "office-7");
    expected[0] = "@PJL COMMENT DATE=2024/12/24";
    expected[1] = "@PJL COMMENT TIME=18:30";
    EXPECT_EQ(OwnerSlice(RunOwnerJob(spec, tmp)), expected);
}

TEST(OwnerBlock, ComputerNameAndOwnerCharacterSets)
{
    const std::string mac = K + "JBAMacHostNameStringTicket=" + kKanji + " " + K +
                            "JBAHostNameStringTicket=office-7";
    struct Case {
        const char *what;
        std::string ppd, options, user;
        Lines expected;
    } cases[] = {
        {"UTF-8 printer: computer name unchanged, owner converted", kUTF8Ppd, mac, kKanji,
         Block(kKanjiSjis, "", kKanji)},
        {"other printer: both converted", Fixture("plain.ppd"), mac, kKanji,
         Block(kKanjiSjis, "", kKanjiSjis)},
        {"kanji user name", Fixture("plain.ppd"), "", kUserX0213, Block(kUserX0213Sjis, "")},
    };
    for (const auto &c : cases) {
        TempDir tmp;
        OwnerJob spec;
        spec.ppd = c.ppd;
        spec.options = c.options;
        spec.user = c.user;
        EXPECT_EQ(OwnerSlice(RunOwnerJob(spec, tmp)), c.expected) << c.what;
    }
}

TEST(OwnerBlock, HostNameIsCutOnUTF8Printers)
{
    const std::string name40(40, 'h');
    for (const auto &[ppd, cnam] : {std::pair{kUTF8Ppd, name40.substr(0, 32)},
                                   std::pair{Fixture("plain.ppd"), name40}}) {
        TempDir tmp;
        OwnerJob spec;
        spec.ppd = ppd;
        spec.hostName = name40;
        Lines slice = OwnerSlice(RunOwnerJob(spec, tmp));
        ASSERT_GE(slice.size(), 3u);
        EXPECT_EQ(slice[2], Attr("CNAM", cnam)) << ppd;
    }
}

namespace {

// Whether this machine's answers for name hold an address that the
// address choice keeps: an IPv4 text other than 127.0.0.1, or an IPv6
// text that is not the fe80::1 link-local one.
bool ResolvesToKeptAddress(const std::string &name)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *list = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0)
        return false;
    bool kept = false;
    for (addrinfo *ai = list; ai != nullptr; ai = ai->ai_next) {
        char text[NI_MAXHOST] = {0};
        if (getnameinfo(ai->ai_addr, ai->ai_addrlen, text, sizeof(text), nullptr, 0,
                        NI_NUMERICHOST) != 0)
            continue;
        std::string t = text;
        if (t.find('.') != std::string::npos && t != "127.0.0.1")
            kept = true;
        if (t.find(':') != std::string::npos && t.find("fe80::1") == std::string::npos)
            kept = true;
    }
    freeaddrinfo(list);
    return kept;
}

} // namespace

TEST(OwnerBlock, RealJobCarriesThisHostsNameAndAddress)
{
    char host[256] = {0};
    ASSERT_EQ(gethostname(host, sizeof(host) - 1), 0);
    const std::string name = std::string(host).substr(0, 96);

    TempDir tmp;
    FilterRun run;
    run.args = JobArgs("");
    run.args.push_back(Fixture("sample.pdf"));
    run.env["PPD"] = Fixture("plain.ppd");
    run.env["TMPDIR"] = tmp.path();
    FilterResult r = RunFilter(run);
    ASSERT_EQ(r.status, 0) << r.err;
    Lines slice = OwnerSlice(ParsePjlJob(r.out));

    bool kept = ResolvesToKeptAddress(host);
    ASSERT_EQ(slice.size(), kept ? 6u : 5u);
    EXPECT_TRUE(std::regex_match(slice[0], std::regex("@PJL COMMENT DATE=\\d\\d/\\d\\d/\\d{4}")));
    EXPECT_TRUE(std::regex_match(slice[1], std::regex("@PJL COMMENT TIME=\\d\\d:\\d\\d:\\d\\d")));
    EXPECT_EQ(slice[2], Attr("CNAM", name));
    EXPECT_EQ(slice[3], Attr("JOAU", "alice"));
    if (kept) {
        EXPECT_TRUE(
            std::regex_match(slice[4], std::regex("@PJL SET JOBATTR=\"@HOAD=I[0-9A-F]+\"")));
    }
    EXPECT_EQ(slice.back(), Attr("JOEP", ""));
}
