// Media lines of the header: paper source, paper size, media type and the
// feed edge of the bypass tray.
#include "support/filter_run.h"
#include "support/header_slice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string FullPPD() { return QZ_SOURCE_DIR "/ppd/orvex-vyx.ppd"; } // model "Orvex VYX SD12"
std::string PlainPPD() { return Fixture("plain.ppd"); }

const std::initializer_list<std::string> kMediaLines = {
    "AUTOSELECT", "MEDIASOURCE", "INPT", "PAPER", "MEDIATYPE", "APSP", "MSIP", "PAPERDIRECTION"};

struct Case {
    const char *what;
    std::string options;
    std::vector<std::string> expected; // shorthand of header_slice.h
};

void ExpectMediaLines(const std::vector<Case> &cases, const std::string &ppd)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Pick(JobDocLines({c.options, ppd}), kMediaLines), Pjl(c.expected));
    }
}

} // namespace

// The media lines sit between trapping and duplex, in their own order.
TEST(MediaLines, OrderInTheHeader)
{
    std::vector<std::string> lines = JobDocLines(
        {"QZInputSlot=BypassTray media=A4 MediaType=FinePaper QZTrapping=false", FullPPD()});
    EXPECT_EQ(lines, Pjl({"#DNAME=test.pdf", "COPIES=1", "@FSTP=0", "@LSTP=0", "OUTBIN=MAINTRAY",
                          "@LOUT=NOSCALING", "@DIPQ=STANDARD", "RENDERMODE=AUTOCOLOR",
                          "@TRAP=OFF", "MEDIASOURCE=TRAY5", "PAPER=A4", "@MSIP=HIGHQUALITY",
                          "PAPERDIRECTION=SEF", "DUPLEX=ON", "TIMEOUT=0", "@NLPP=1"}));
}

// A tray is a media source when the media type is "Default" and an input
// tray otherwise; the choice is made before the media type's default.
TEST(MediaLines, TraysWithAndWithoutDefaultMediaType)
{
    ExpectMediaLines({
        {"tray 1, Default", "QZInputSlot=1stTray MediaType=Default",
         {"MEDIASOURCE=TRAY1", "MEDIATYPE=OFF"}},
        {"tray 2, Default", "QZInputSlot=2ndTray MediaType=Default",
         {"MEDIASOURCE=TRAY2", "MEDIATYPE=OFF"}},
        {"tray 3, Default", "QZInputSlot=3rdTray MediaType=Default",
         {"MEDIASOURCE=TRAY3", "MEDIATYPE=OFF"}},
        {"tray 4, Default", "QZInputSlot=4thTray MediaType=Default",
         {"MEDIASOURCE=TRAY4", "MEDIATYPE=OFF"}},
        {"tray 1, recycled", "QZInputSlot=1stTray MediaType=RecyclePaper",
         {"@INPT=INTRAY1", "@APSP=RECYCLE"}},
        {"tray 2, recycled", "QZInputSlot=2ndTray MediaType=RecyclePaper",
         {"@INPT=INTRAY2", "@APSP=RECYCLE"}},
        {"tray 3, recycled", "QZInputSlot=3rdTray MediaType=RecyclePaper",
         {"@INPT=INTRAY3", "@APSP=RECYCLE"}},
        {"tray 4, recycled", "QZInputSlot=4thTray MediaType=RecyclePaper",
         {"@INPT=INTRAY4", "@APSP=RECYCLE"}},
        {"tray 3, no media type: input tray, then the default", "QZInputSlot=3rdTray",
         {"@INPT=INTRAY3", "MEDIATYPE=OFF"}},
        {"tray with a reverse-side media has no media type line",
         "QZInputSlot=1stTray MediaType=StationaryBack", {"@INPT=INTRAY1"}},
        {"tray ignores the leading edge", "QZInputSlot=2ndTray QZMSILeadingEdge=LongEdge",
         {"@INPT=INTRAY2", "MEDIATYPE=OFF"}},
        {"no slot: auto select from the PPD's option", "", {"AUTOSELECT=ON", "MEDIATYPE=OFF"}},
        {"auto select with a media type", "QZInputSlot=AutoSelect MediaType=Envelope",
         {"AUTOSELECT=ON", "@APSP=ENVELOPE"}},
        {"unknown slot", "QZInputSlot=5thTray MediaType=LabelPaper", {"@APSP=LABEL"}},
        {"slot in the wrong case", "QZInputSlot=bypassTray", {"MEDIATYPE=OFF"}},
    }, FullPPD());
}

TEST(MediaLines, NoDefaultsWithoutThePPDOptions)
{
    ExpectMediaLines({
        {"no slot, no media type", "", {}},
        {"tray 3, no media type", "QZInputSlot=3rdTray", {"@INPT=INTRAY3"}},
        {"bypass tray: source from the model, no leading edge default", "QZInputSlot=BypassTray",
         {"MEDIASOURCE=TRAY5"}},
    }, PlainPPD());
}

TEST(MediaLines, BypassTray)
{
    ExpectMediaLines({
        {"reverse side, short edge by default", "QZInputSlot=BypassTray MediaType=StationaryBack",
         {"MEDIASOURCE=TRAY5", "@MSIP=NORMALREV", "PAPERDIRECTION=SEF"}},
        {"long edge turned", "QZInputSlot=BypassTray QZMSILeadingEdge=LongEdgeR",
         {"MEDIASOURCE=TRAY5", "MEDIATYPE=OFF", "PAPERDIRECTION=LEF"}},
        {"long edge", "QZInputSlot=BypassTray QZMSILeadingEdge=LongEdge",
         {"MEDIASOURCE=TRAY5", "MEDIATYPE=OFF", "PAPERDIRECTION=LEF"}},
        {"short edge turned", "QZInputSlot=BypassTray QZMSILeadingEdge=ShortEdgeR",
         {"MEDIASOURCE=TRAY5", "MEDIATYPE=OFF", "PAPERDIRECTION=SEF"}},
        {"unknown leading edge", "QZInputSlot=BypassTray QZMSILeadingEdge=shortedge",
         {"MEDIASOURCE=TRAY5", "MEDIATYPE=OFF"}},
    }, FullPPD());
}

TEST(MediaLines, PaperSizes)
{
    ExpectMediaLines({
        {"A3", "media=A3", {"AUTOSELECT=ON", "PAPER=A3", "MEDIATYPE=OFF"}},
        {"B4", "media=B4", {"AUTOSELECT=ON", "PAPER=JISB4", "MEDIATYPE=OFF"}},
        {"A4", "media=A4", {"AUTOSELECT=ON", "PAPER=A4", "MEDIATYPE=OFF"}},
        {"B5", "media=B5", {"AUTOSELECT=ON", "PAPER=JISB5", "MEDIATYPE=OFF"}},
        {"A5", "media=A5", {"AUTOSELECT=ON", "PAPER=A5", "MEDIATYPE=OFF"}},
        {"Letter", "media=Letter", {"AUTOSELECT=ON", "PAPER=LETTER", "MEDIATYPE=OFF"}},
        {"Legal", "media=Legal", {"AUTOSELECT=ON", "PAPER=LEGAL", "MEDIATYPE=OFF"}},
        {"Tabloid", "media=Tabloid", {"AUTOSELECT=ON", "PAPER=LEDGER", "MEDIATYPE=OFF"}},
        {"unknown size, media type still follows", "media=B6 MediaType=Stationary",
         {"AUTOSELECT=ON", "@APSP=NORMAL"}},
        {"size in the wrong case", "media=a4", {"AUTOSELECT=ON", "MEDIATYPE=OFF"}},
    }, FullPPD());
}

// Every media type on a tray (APSP) and on the bypass tray (MSIP); the
// reverse-side types exist only on the bypass tray.
TEST(MediaLines, MediaTypes)
{
    struct Row {
        const char *mediaType;
        const char *apsp; // empty: no line
        const char *msip;
    };
    const Row rows[] = {
        {"Stationary", "NORMAL", "NORMAL"},
        {"StationaryBack", "", "NORMALREV"},
        {"ThickPaper", "THICK", "THICK"},
        {"ThickPaper2", "SUPERTHICK", "SUPERTHICK"},
        {"Transparency", "THICK", "THICK"},
        {"TRANSPARENCY", "THICK", "THICK"},
        {"FinePaper", "HIGHQUALITY", "HIGHQUALITY"},
        {"FinePaperBack", "", "HIGHQUALITYREV"},
        {"RecyclePaper", "RECYCLE", "RECYCLE"},
        {"LetterheadPaper", "LETTERHEAD", "LETTERHEAD"},
        {"PreprintedPaper", "PREPRINTED", "PREPRINTED"},
        {"PrepunchedPaper", "PREPUNCHED", "PREPUNCHED"},
        {"ColoredPaper", "COLOR", "COLOR"},
        {"ThickPaper3", "THICK3", "THICK3"},
        {"CoatingPaper1", "COATEDPAPER", "COATEDPAPER"},
        {"CoatingPaper1Back", "", "COATEDPAPERREV"},
        {"CoatingPaper2", "COATEDPAPER2", "COATEDPAPER2"},
        {"CoatingPaper2Back", "", "COATEDPAPER2REV"},
        {"CoatingPaper3", "COATEDPAPER3", "COATEDPAPER3"},
        {"CoatingPaper3Back", "", "COATEDPAPER3REV"},
        {"LabelPaper", "LABEL", "LABEL"},
        {"Envelope", "ENVELOPE", "ENVELOPE"},
        {"Cardboard", "", ""},
        {"transparency", "", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.mediaType);
        std::string type = std::string("MediaType=") + row.mediaType;
        std::vector<std::string> tray = Pick(
            JobDocLines({"QZInputSlot=1stTray " + type, FullPPD()}), {"APSP", "MSIP", "MEDIATYPE"});
        std::vector<std::string> bypass = Pick(
            JobDocLines({"QZInputSlot=BypassTray " + type, FullPPD()}), {"APSP", "MSIP", "MEDIATYPE"});
        EXPECT_EQ(tray, *row.apsp ? Pjl({std::string("@APSP=") + row.apsp}) : Pjl({}));
        EXPECT_EQ(bypass, *row.msip ? Pjl({std::string("@MSIP=") + row.msip}) : Pjl({}));
    }
}

// The bypass tray's source name and the thick-paper-2 name follow the
// model name; the first rule row with a matching token decides.
TEST(MediaLines, BypassSourceAndThickPaperByModel)
{
    struct Row {
        const char *model; // empty: a PPD without ModelName
        const char *bypassSource;
        const char *thickPaper2;
    };
    const Row rows[] = {
        {"Orvex VYX RA10", "SMH", "SUPERTHICK"},
        {"Orvex VYX RC70", "SMH", "THICK2"},
        {"Orvex VYX RB50", "SMH", "THICK2"},
        {"Orvex VYX SE16", "TRAY5", "SUPERTHICK"},
        {"Orvex VYX TF21", "SMH", "THICK2"},
        {"Orvex VYX TG24", "SMH", "SUPERTHICK"},
        {"Orvex VYX TG25", "TRAY5", "SUPERTHICK"},
        {"Orvex VYX TH26", "SMH", "SUPERTHICK"},
        {"Orvex VYX TH27", "SMH", "SUPERTHICK"},
        {"Orvex VYX TG25 RB40", "SMH", "THICK2"},
        {"Orvex VYX SD11 TG22", "TRAY5", "SUPERTHICK"},
        {"Orvex VYX sd11", "TRAY5", "SUPERTHICK"},
        {"Other Printer", "TRAY5", "SUPERTHICK"},
        {"", "", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.model);
        TempDir dir;
        std::string ppd = ModelPPD(dir.path(), row.model);
        EXPECT_EQ(Pick(JobDocLines({"QZInputSlot=BypassTray MediaType=ThickPaper2", ppd}),
                       kMediaLines),
                  Pjl({std::string("MEDIASOURCE=") + row.bypassSource,
                       std::string("@MSIP=") + row.thickPaper2, "PAPERDIRECTION=SEF"}));
        EXPECT_EQ(Pick(JobDocLines({"QZInputSlot=AutoSelect MediaType=ThickPaper2", ppd}),
                       kMediaLines),
                  Pjl({"AUTOSELECT=ON", std::string("@APSP=") + row.thickPaper2}));
    }
}

// Without a readable PPD nothing is defaulted and the model is unknown.
TEST(MediaLines, NoPPD)
{
    for (const std::string &ppd : {std::string(), std::string("/nonexistent/printer.ppd")}) {
        SCOPED_TRACE(ppd);
        EXPECT_EQ(Pick(JobDocLines({"QZInputSlot=BypassTray MediaType=ThickPaper2", ppd}),
                       kMediaLines),
                  Pjl({"MEDIASOURCE=", "@MSIP="}));
        EXPECT_EQ(Pick(JobDocLines({"", ppd}), kMediaLines), Pjl({}));
    }
}
