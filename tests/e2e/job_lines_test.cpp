// Job and document lines of the header: document and job names, hold and
// secure print, copies, quality, collation, rendering and trapping.
#include "support/filter_run.h"
#include "support/header_slice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kPrintType = "com.orvex.vyx.printsettings.PrintTypeTicketKey=";
const std::string kUserName = "com.orvex.vyx.printsettings.PrintTypeUserNameTicketKey=";
const std::string kPassword = "com.orvex.vyx.printsettings.PrintTypePasswordTicketKey=";
const std::string kNameType = "com.orvex.vyx.printsettings.DocumentNameTypeTicketKey=";
const std::string kDocName = "com.orvex.vyx.printsettings.DocumentNameTicketKey=";

std::string ColourPPD() { return QZ_SOURCE_DIR "/ppd/orvex-vyx.ppd"; }
std::string MonoPPD() { return Fixture("mono.ppd"); }
std::string PlainPPD() { return Fixture("plain.ppd"); }

struct Case {
    const char *what;
    std::string options;
    std::string ppd;
    std::vector<std::string> expected; // shorthand of header_slice.h
    std::string title = "test.pdf";
    std::string copies = "1";
};

void ExpectPicked(const std::vector<Case> &cases, std::initializer_list<std::string> names)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> lines = JobDocLines({c.options, c.ppd, c.title, c.copies});
        EXPECT_EQ(Pick(lines, names), Pjl(c.expected));
    }
}

} // namespace

// A colour printer, a stored private job, collated copies, quality and
// trapping from the PPD's options.
TEST(JobLines, ColourPrinterStoredPrivateJob)
{
    std::vector<std::string> lines = JobDocLines(
        {kPrintType + "2 " + kPassword + "4711 " + kUserName + "alice " + kNameType + "1 Collate=true",
         ColourPPD(), "report.pdf", "2"});
    EXPECT_EQ(lines, Pjl({"#DNAME=report.pdf", "HOLD=STORE", "HOLDTYPE=PRIVATE",
                          "HOLDKEY=\"4711\"", "USERNAME=\"alice\"", "JOBNAME=\"report.pdf\"",
                          "QTY=2", "@FSTP=0", "@LSTP=0", "OUTBIN=MAINTRAY", "@LOUT=NOSCALING",
                          "@DIPQ=STANDARD", "COLLATE=COLLATENORMAL", "RENDERMODE=AUTOCOLOR",
                          "@TRAP=ON", "AUTOSELECT=ON", "MEDIATYPE=OFF", "DUPLEX=ON",
                          "TIMEOUT=0", "@NLPP=1"}));
}

// A job without options on a PPD without options: only the lines that
// every job carries.
TEST(JobLines, BareJobCarriesTheFixedLines)
{
    std::vector<std::string> lines = JobDocLines({"", PlainPPD(), "", "1"});
    EXPECT_EQ(lines, Pjl({"#DNAME=", "COPIES=1", "@FSTP=0", "@LSTP=0", "OUTBIN=MAINTRAY",
                          "@LOUT=NOSCALING", "DUPLEX=ON", "TIMEOUT=0", "@NLPP=1"}));
}

TEST(JobLines, HoldAndSecurePrint)
{
    ExpectPicked({
        {"stored private job", kPrintType + "2 " + kPassword + "secret", PlainPPD(),
         {"HOLD=STORE", "HOLDTYPE=PRIVATE", "HOLDKEY=\"secret\""}},
        {"stored job without password", kPrintType + "2", PlainPPD(), {"HOLD=STORE"}},
        {"proof print ignores the password", kPrintType + "3 " + kPassword + "secret", PlainPPD(),
         {"HOLD=PROOF"}},
        {"print type 1", kPrintType + "1 " + kPassword + "secret", PlainPPD(), {}},
        {"no print type", kPassword + "secret", PlainPPD(), {}},
        {"password given as byte values", kPrintType + "2 " + kPassword + "/55/56", PlainPPD(),
         {"HOLD=STORE", "HOLDTYPE=PRIVATE", "HOLDKEY=\"78\""}},
    }, {"HOLD", "HOLDTYPE", "HOLDKEY", "HOLDENCRYPTKEY"});
}

TEST(JobLines, UserAndJobNames)
{
    ExpectPicked({
        {"user name", kUserName + "bob", PlainPPD(), {"#DNAME=test.pdf", "USERNAME=\"bob\""}},
        {"name type 1 sends the prepared name", kNameType + "1", PlainPPD(),
         {"#DNAME=minutes.pdf", "JOBNAME=\"minutes.pdf\""}, "minutes.pdf"},
        {"name type 1 with an empty name", kNameType + "1", PlainPPD(),
         {"#DNAME=", "JOBNAME=\"\""}, ""},
        {"name type 2 sends the typed name", kNameType + "2 " + kDocName + "Budget", PlainPPD(),
         {"#DNAME=minutes.pdf", "JOBNAME=\"Budget\""}, "minutes.pdf"},
        {"name type 2 with an empty typed name", kNameType + "2", PlainPPD(),
         {"#DNAME=minutes.pdf"}, "minutes.pdf"},
        {"name type 3", kNameType + "3 " + kDocName + "Budget", PlainPPD(),
         {"#DNAME=minutes.pdf"}, "minutes.pdf"},
    }, {"DNAME", "USERNAME", "JOBNAME"});
}

TEST(JobLines, CopiesAndCollation)
{
    ExpectPicked({
        {"collated", "Collate=true", PlainPPD(), {"QTY=3", "COLLATE=COLLATENORMAL"}, "t", "3"},
        {"uncollated", "Collate=false", PlainPPD(), {"COPIES=3", "COLLATE=OFF"}, "t", "3"},
        {"no collation", "", PlainPPD(), {"COPIES=3"}, "t", "3"},
        {"collation in the wrong case", "Collate=True", PlainPPD(), {"COPIES=3"}, "t", "3"},
        {"copies text passed on unchanged", "Collate=true", PlainPPD(),
         {"QTY=03", "COLLATE=COLLATENORMAL"}, "t", "03"},
    }, {"QTY", "COPIES", "COLLATE"});
}

// Form A (quality and colour mode both known): quality, collation, then
// rendering by colour mode. Form B: quality with grey rendering, then
// collation.
TEST(JobLines, QualityCollationAndRendering)
{
    const std::string collate = "Collate=false ";
    ExpectPicked({
        {"colour printer defaults", collate, ColourPPD(),
         {"@DIPQ=STANDARD", "COLLATE=OFF", "RENDERMODE=AUTOCOLOR"}},
        {"colour printer, black, high speed", collate + "QZColorMode=Black QZOutputMode=HighSpeed",
         ColourPPD(), {"@DIPQ=SPEED", "COLLATE=OFF", "RENDERMODE=GRAYSCALE"}},
        {"colour printer, high quality", collate + "QZOutputMode=HighQuality", ColourPPD(),
         {"@DIPQ=QUALITY2", "COLLATE=OFF", "RENDERMODE=AUTOCOLOR"}},
        {"unknown quality and colour", collate + "QZColorMode=black QZOutputMode=Fast",
         ColourPPD(), {"COLLATE=OFF"}},
        {"mono printer, high quality", collate + "QZOutputMode=HighQuality", MonoPPD(),
         {"@DIPQ=QUALITY2", "RENDERMODE=GRAYSCALE", "COLLATE=OFF"}},
        {"mono printer, quality default is Standard, not the PPD's", collate, MonoPPD(),
         {"@DIPQ=STANDARD", "RENDERMODE=GRAYSCALE", "COLLATE=OFF"}},
        {"mono printer, unknown quality", collate + "QZOutputMode=Premium", MonoPPD(),
         {"COLLATE=OFF"}},
        {"a colour mode from the ticket makes form A", collate + "QZOutputMode=HighSpeed QZColorMode=Color",
         MonoPPD(), {"@DIPQ=SPEED", "COLLATE=OFF", "RENDERMODE=AUTOCOLOR"}},
        {"a colour mode without a quality is not looked at", collate + "QZColorMode=Black",
         PlainPPD(), {"COLLATE=OFF"}},
        {"both from the ticket on a PPD without options",
         collate + "QZOutputMode=HighSpeed QZColorMode=Black", PlainPPD(),
         {"@DIPQ=SPEED", "COLLATE=OFF", "RENDERMODE=GRAYSCALE"}},
        {"no PPD: quality from the ticket, grey", collate + "QZOutputMode=Standard", "",
         {"@DIPQ=STANDARD", "RENDERMODE=GRAYSCALE", "COLLATE=OFF"}},
        {"unreadable PPD: no defaults", collate, "/nonexistent/printer.ppd", {"COLLATE=OFF"}},
    }, {"DIPQ", "COLLATE", "RENDERMODE"});
}

TEST(JobLines, Trapping)
{
    ExpectPicked({
        {"default from the PPD", "", ColourPPD(), {"@TRAP=ON"}},
        {"off", "QZTrapping=false", ColourPPD(), {"@TRAP=OFF"}},
        {"wrong case", "QZTrapping=True", ColourPPD(), {}},
        {"no trapping option in the PPD", "", PlainPPD(), {}},
        {"from the ticket alone", "QZTrapping=true", PlainPPD(), {"@TRAP=ON"}},
    }, {"TRAP"});
}

// Long texts are cut so that the line stays within 254 bytes with its
// closing quote, and on a UTF-8 printer never inside a character.
TEST(JobLines, LongQuotedValuesAreCutToTheLine)
{
    std::string password = "a";
    for (int i = 0; i < 150; i++)
        password += "\xC3\xA9"; // U+00E9
    std::vector<std::string> lines = JobDocLines(
        {kPrintType + "2 " + kPassword + password, ColourPPD()});
    std::vector<std::string> key = Pick(lines, {"HOLDKEY"});
    ASSERT_EQ(key.size(), 1u);
    std::string expected = "@PJL SET HOLDKEY=\"" + password.substr(0, 233) + "\"";
    EXPECT_EQ(key[0], expected);
    EXPECT_LE(key[0].size() + 1, 254u);

    std::string ascii(400, 'k');
    lines = JobDocLines({kPrintType + "2 " + kPassword + ascii, PlainPPD()});
    key = Pick(lines, {"HOLDKEY"});
    ASSERT_EQ(key.size(), 1u);
    EXPECT_EQ(key[0], "@PJL SET HOLDKEY=\"" + ascii.substr(0, 234) + "\"");
}
