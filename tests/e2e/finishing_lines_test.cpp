// Finishing lines of the header: duplex and binding, punch and staple by
// orientation, time-out and pages per sheet.
#include "support/filter_run.h"
#include "support/header_slice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kDuplex = "com.apple.print.PrintSettings.PMDuplexing..n.=";
const std::string kPageFormat =
    "com.apple.print.subTicket.page_format_ticket..d.com.apple.print.PageFormat.PMOrientation..n.=";
const std::string kPrintSettings = "com.apple.print.PrintSettings.PMOrientation..n.=";
const std::string kRequested = "orientation-requested=";

std::string FullPPD() { return QZ_SOURCE_DIR "/ppd/orvex-vyx.ppd"; }
std::string PlainPPD() { return Fixture("plain.ppd"); }

struct Case {
    const char *what;
    std::string options;
    std::vector<std::string> expected; // shorthand of header_slice.h
};

void ExpectPicked(const std::vector<Case> &cases, const std::string &ppd,
                  std::initializer_list<std::string> names)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Pick(JobDocLines({c.options, ppd}), names), Pjl(c.expected));
    }
}

std::string Orientation(const std::string &pageFormat, const std::string &printSettings,
                        const std::string &requested)
{
    std::string options;
    if (!pageFormat.empty())
        options += kPageFormat + pageFormat + " ";
    if (!printSettings.empty())
        options += kPrintSettings + printSettings + " ";
    if (!requested.empty())
        options += kRequested + requested + " ";
    return options;
}

} // namespace

// The finishing lines close the section: duplex, punch and staple,
// TIMEOUT, then NLPP as the last line.
TEST(FinishingLines, OrderInTheHeader)
{
    std::vector<std::string> lines =
        JobDocLines({kDuplex + "3 QZStaple=TopDoublePort QZPunch=True number-up=2", FullPPD()});
    ASSERT_GE(lines.size(), 7u);
    std::vector<std::string> tail(lines.end() - 7, lines.end());
    EXPECT_EQ(tail, Pjl({"DUPLEX=ON", "BINDING=SHORTEDGE", "PUNCH=LEFT", "FINISH=ON",
                         "STAPLE=TOPDUAL", "TIMEOUT=0", "@NLPP=N2"}));
}

TEST(FinishingLines, Duplex)
{
    ExpectPicked({
        {"one-sided", kDuplex + "1", {"DUPLEX=OFF"}},
        {"long edge", kDuplex + "2", {"DUPLEX=ON", "BINDING=LONGEDGE"}},
        {"short edge", kDuplex + "3", {"DUPLEX=ON", "BINDING=SHORTEDGE"}},
        {"absent", "", {"DUPLEX=ON"}},
        {"not a number", kDuplex + "two", {"DUPLEX=ON"}},
    }, PlainPPD(), {"DUPLEX", "BINDING"});
}

// Every staple setting in every orientation class.
TEST(FinishingLines, StaplePositions)
{
    struct Orient {
        const char *what;
        std::string options;
        int column; // 0 landscape, 1 reverse landscape, 2 portrait
    };
    const Orient orientations[] = {
        {"portrait by default", "", 2},
        {"landscape: page format and print settings", Orientation("2", "2", ""), 0},
        {"only the page format landscape", Orientation("2", "1", "3"), 2},
        {"landscape requested wins over reverse", Orientation("4", "4", "4"), 0},
        {"reverse landscape: page format and print settings", Orientation("4", "4", ""), 1},
        {"reverse landscape requested", Orientation("", "", "5"), 1},
        {"landscape formats win over reverse requested", Orientation("2", "2", "5"), 0},
        {"mixed formats", Orientation("2", "4", "3"), 2},
    };
    struct Staple {
        const char *staple;
        const char *positions[3];
    };
    const Staple staples[] = {
        {"UpperLeftSinglePort", {"BOTTOMLEFT", "TOPRIGHT", "TOPLEFT"}},
        {"LeftDoublePort", {"BOTTOMDUAL", "TOPDUAL", "LEFTDUAL"}},
        {"TopDoublePort", {"LEFTDUAL", "RIGHTDUAL", "TOPDUAL"}},
    };
    const char *punchPositions[3] = {"BOTTON", "TOP", "LEFT"};

    for (const Orient &o : orientations) {
        SCOPED_TRACE(o.what);
        for (const Staple &s : staples) {
            SCOPED_TRACE(s.staple);
            EXPECT_EQ(Pick(JobDocLines({o.options + "QZStaple=" + s.staple, FullPPD()}),
                           {"FINISH", "PUNCH", "STAPLE"}),
                      Pjl({"FINISH=ON", std::string("STAPLE=") + s.positions[o.column]}));
        }
        EXPECT_EQ(Pick(JobDocLines({o.options + "QZPunch=true", FullPPD()}),
                       {"FINISH", "PUNCH", "STAPLE"}),
                  Pjl({"FINISH=ON", std::string("PUNCH=") + punchPositions[o.column]}));
    }
}

TEST(FinishingLines, PunchAndStapleCombinations)
{
    ExpectPicked({
        {"defaults: nothing", "", {}},
        {"both None", "QZStaple=None QZPunch=None", {}},
        {"punch alone", "QZPunch=True", {"FINISH=ON", "PUNCH=LEFT"}},
        {"punch with None staple", "QZStaple=None QZPunch=true", {"FINISH=ON", "PUNCH=LEFT"}},
        {"punch and staple", "QZStaple=TopDoublePort QZPunch=True",
         {"PUNCH=LEFT", "FINISH=ON", "STAPLE=TOPDUAL"}},
        {"punch with an unknown staple", "QZStaple=Center QZPunch=true", {"PUNCH=LEFT"}},
        {"unknown staple alone", "QZStaple=Center", {}},
        {"punch in another case", "QZPunch=TRUE", {}},
        {"staple in another case", "QZStaple=topDoublePort", {}},
    }, FullPPD(), {"FINISH", "PUNCH", "STAPLE"});
}

// Without a staple option in the PPD an empty staple text stays empty, and
// then nothing is punched or stapled.
TEST(FinishingLines, PPDWithoutStapleOption)
{
    ExpectPicked({
        {"punch alone", "QZPunch=true", {}},
        {"staple from the ticket", "QZStaple=LeftDoublePort", {"FINISH=ON", "STAPLE=LEFTDUAL"}},
        {"punch with staple None from the ticket", "QZStaple=None QZPunch=true",
         {"FINISH=ON", "PUNCH=LEFT"}},
    }, PlainPPD(), {"FINISH", "PUNCH", "STAPLE"});
}

TEST(FinishingLines, TimeoutAndPagesPerSheet)
{
    const std::string layout = "com.apple.print.PrintSettings.PMLayout";
    // A number-up job goes through the platform's PDF filter, found through
    // the PPD's cupsFilter value, which only the full PPD has.
    ExpectPicked({
        {"no number-up", "", {"TIMEOUT=0", "@NLPP=1"}},
        {"number-up 4", "number-up=4", {"TIMEOUT=0", "@NLPP=N4"}},
        {"number-up 1 keeps its letter", "number-up=1", {"TIMEOUT=0", "@NLPP=N1"}},
        {"2 by 3 layout", layout + "Rows..n.=2 " + layout + "Columns..n.=3",
         {"TIMEOUT=0", "@NLPP=N6"}},
        {"1 by 1 layout", layout + "Rows..n.=1 " + layout + "Columns..n.=1",
         {"TIMEOUT=0", "@NLPP=1"}},
    }, FullPPD(), {"TIMEOUT", "NLPP"});
}
