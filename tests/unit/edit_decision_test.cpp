// The page edit decision: which pages are sent, how they are turned,
// whether they are rasterised, and how an unreadable spool file is met.
#include "document/edit_decision.h"
#include "platform/pdf_document.h"
#include "support/capture.h"
#include "support/filter_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const std::string kCopies = "com.apple.print.PrintSettings.PMCopies..n.=";
const std::string kSides = "com.apple.print.PrintSettings.PMTotalSidesImaged..n.=";

// Sets the PPD variable for one test and puts the old value back.
class PpdEnv {
public:
    explicit PpdEnv(const std::string &path)
    {
        if (const char *old = getenv("PPD")) {
            had_ = true;
            old_ = old;
        }
        if (path.empty())
            unsetenv("PPD");
        else
            setenv("PPD", path.c_str(), 1);
    }
    ~PpdEnv()
    {
        if (had_)
            setenv("PPD", old_.c_str(), 1);
        else
            unsetenv("PPD");
    }

private:
    bool had_ = false;
    std::string old_;
};

// The record as a readable document of numPages pages leaves it.
PDFDocInfoRecord Opened(int numPages)
{
    PDFDocInfoRecord info{};
    info.numPages = numPages;
    info.lastPage = numPages;
    info.pageStep = 1;
    std::strcpy(info.optionPrefix, "QZ");
    return info;
}

int Decide(PDFDocInfoRecord *info, const std::string &options, int chained = 0,
           const std::string &ppd = Fixture("plain.ppd"))
{
    PpdEnv env(ppd);
    std::string text = options;
    char *argv[] = {const_cast<char *>("qzpdftopjl"), const_cast<char *>("1"),
                    const_cast<char *>("alice"), const_cast<char *>("t"),
                    const_cast<char *>("1"), text.data(), nullptr};
    return CheckIfNeedEdit(argv, info, chained);
}

struct CopiesCase {
    const char *what;
    int pages;
    std::string options;
    int chained;
    int result;
    int lastPage;
    int pageStep;
};

} // namespace

TEST(EditDecision, CopiesAlreadyInTheDocumentCutItToOneCopy)
{
    const CopiesCase cases[] = {
        {"chain, collated: first copy", 6, kCopies + "2 Collate=true", 1, 1, 3, 1},
        {"chain, not collated: every 2nd page", 6, kCopies + "2 Collate=false", 1, 1, 6, 2},
        {"chain, other Collate value is not collated", 6, kCopies + "2 Collate=True", 1, 1, 6, 2},
        {"no chain, T = N x C: nothing to cut", 3, kCopies + "2 Collate=true", 0, 0, 3, 1},
        {"no chain, not collated, nothing to cut", 3, kCopies + "2 Collate=false", 0, 0, 3, 1},
        {"total sides given, collated", 6, kCopies + "2 " + kSides + "6 Collate=true", 0, 1, 3, 1},
        {"total sides given, nothing to cut", 3, kCopies + "2 " + kSides + "6 Collate=true", 0, 0,
         3, 1},
        {"Collate absent: all pages, step 1", 6, kCopies + "2 " + kSides + "6", 0, 1, 6, 1},
        {"one copy: page-set ignored", 6, kCopies + "1 page-set=odd", 0, 0, 6, 1},
        {"no copy count: page-set ignored", 6, "page-set=odd", 0, 0, 6, 1},
        {"page-set odd rounds up", 5, kCopies + "2 " + kSides + "21 page-set=odd", 0, 0, 11, 1},
        {"page-set even rounds down", 5, kCopies + "2 " + kSides + "21 page-set=even", 0, 0, 10, 1},
        {"page-set odd, then the first copy", 6, kCopies + "2 page-set=odd Collate=true", 1, 1, 3,
         1},
        {"page-set even stays without Collate", 6, kCopies + "2 page-set=even", 1, 1, 1, 1},
        {"huge copy count does not overflow", 3, kCopies + "99999999999 Collate=false", 0, 0, 3, 1},
    };
    for (const CopiesCase &c : cases) {
        SCOPED_TRACE(c.what);
        PDFDocInfoRecord info = Opened(c.pages);
        EXPECT_EQ(Decide(&info, c.options, c.chained), c.result);
        EXPECT_EQ(info.lastPage, c.lastPage);
        EXPECT_EQ(info.pageStep, c.pageStep);
        EXPECT_EQ(info.rotation, 0);
        EXPECT_EQ(info.rasterMode, 0);
    }
}

TEST(EditDecision, TurnsFollowOrientationTrayAndTurnPage)
{
    const std::string minus90 = Fixture("landscape-minus90.ppd");
    const std::string plus90 = Fixture("landscape-plus90.ppd");
    const std::string none = Fixture("plain.ppd");
    const std::string bypass = "QZInputSlot=BypassTray QZMSILeadingEdge=";
    struct Case {
        std::string options;
        std::string ppd;
        int rotation;
    } cases[] = {
        {"orientation-requested=6", none, 180},
        {"orientation-requested=6", minus90, 180},
        {"orientation-requested=4", minus90, 180},
        {"orientation-requested=5", minus90, 0},
        {"orientation-requested=5", plus90, 180},
        {"orientation-requested=4", plus90, 0},
        {"orientation-requested=4", none, 0},
        {"orientation-requested=5", none, 0},
        {"orientation-requested=3", minus90, 0},
        {bypass + "LongEdgeR", none, 180},
        {bypass + "ShortEdgeR", none, 180},
        {bypass + "ShortEdge", none, 0},
        {"QZInputSlot=1stTray QZMSILeadingEdge=LongEdgeR", none, 0},
        {"QZMSILeadingEdge=ShortEdgeR", none, 0},
        {"QZTurnPage=true", none, 180},
        {"QZTurnPage=True", none, 0},
        {"TurnPage=true", none, 0},
        {"orientation-requested=6 QZTurnPage=true", none, 360},
        {"orientation-requested=6 QZTurnPage=true " + bypass + "LongEdgeR", none, 540},
        {"media=A4", none, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.options + " with " + c.ppd);
        PDFDocInfoRecord info = Opened(4);
        // Two turns that cancel (360) still re-render the document.
        EXPECT_EQ(Decide(&info, c.options, 0, c.ppd), c.rotation > 0 ? 1 : 0);
        EXPECT_EQ(info.rotation, c.rotation);
        EXPECT_EQ(info.lastPage, 4);
        EXPECT_EQ(info.pageStep, 1);
    }
}

TEST(EditDecision, RasterModeNeedsExactlyTrue)
{
    for (auto [value, raster] : {std::pair{"true", 1}, {"True", 0}, {"1", 0}}) {
        SCOPED_TRACE(value);
        PDFDocInfoRecord info = Opened(2);
        EXPECT_EQ(Decide(&info, std::string("QZPDFRasterizedMode=") + value), raster);
        EXPECT_EQ(info.rasterMode, raster);
        EXPECT_EQ(info.rotation, 0);
    }
}

TEST(EditDecision, EffectsOfTheChecksAddUp)
{
    PDFDocInfoRecord info = Opened(6);
    EXPECT_EQ(Decide(&info, kCopies + "2 Collate=false orientation-requested=6 "
                                      "QZPDFRasterizedMode=true", 1),
              1);
    EXPECT_EQ(info.lastPage, 6);
    EXPECT_EQ(info.pageStep, 2);
    EXPECT_EQ(info.rotation, 180);
    EXPECT_EQ(info.rasterMode, 1);
}

TEST(EditDecision, NoOptionsOrNoPpdDecidesNothing)
{
    struct Case {
        const char *what;
        std::string options;
        std::string ppd;
    } cases[] = {
        {"empty option string", "", Fixture("plain.ppd")},
        {"blank option string", "   ", Fixture("plain.ppd")},
        {"PPD unset", "QZTurnPage=true", ""},
        {"PPD unreadable", "QZTurnPage=true", Fixture("no-such.ppd")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PDFDocInfoRecord info = Opened(3);
        EXPECT_EQ(Decide(&info, c.options, 0, c.ppd), -1);
        EXPECT_EQ(info.rotation, 0);
        EXPECT_EQ(info.lastPage, 3);
    }
}

TEST(DocumentSetUp, OpensReadablePdfsAndRefusesTheRest)
{
    TempDir dir;
    std::string good = MakePdf(dir.file("good.pdf"), "--pages 3");
    std::string bytes = ReadFile(good);
    WriteFile(dir.file("empty.pdf"), "");
    WriteFile(dir.file("truncated.pdf"), bytes.substr(0, bytes.size() / 2));
    WriteFile(dir.file("text.pdf"), "This is not a PDF.\n");
    Shell("qpdf --encrypt secret owner 256 -- '" + good + "' '" + dir.file("user.pdf") + "'");
    Shell("qpdf --encrypt '' owner 256 -- '" + good + "' '" + dir.file("owner.pdf") + "'");

    struct Case {
        std::string file;
        int result;
        int pages;
    } cases[] = {
        {"good.pdf", 0, 3},   {"owner.pdf", 0, 3}, {"empty.pdf", -1, 0},
        {"truncated.pdf", -1, 0}, {"text.pdf", -1, 0}, {"user.pdf", -1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        PDFDocInfoRecord info{};
        std::string path = dir.file(c.file);
        int result = 0;
        std::string err = CaptureStderr([&] { result = pdfDocInfo_init(path.c_str(), &info); });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(info.numPages, c.pages);
        EXPECT_EQ(info.lastPage, c.pages);
        EXPECT_EQ(info.pageStep, 1);
        EXPECT_EQ(info.document != nullptr, c.result == 0);
        EXPECT_STREQ(info.optionPrefix, c.result == 0 ? "QZ" : "");
        EXPECT_EQ(err, c.result == 0 ? "" : "CGPDFDocumentCreateWithURL error\n");
        pdfDocInfo_release(&info);
        EXPECT_EQ(info.document, nullptr);
    }
}

TEST(DocumentSetUp, NoSpoolFileIsNoDocument)
{
    PDFDocInfoRecord info{};
    int result = 0;
    std::string err = CaptureStderr([&] { result = pdfDocInfo_init("", &info); });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(err, "CGPDFDocumentCreateWithURL error\n");
    EXPECT_EQ(info.document, nullptr);
}

TEST(DocumentSetUp, UnreadableSpoolLeavesBareOptionNames)
{
    TempDir dir;
    WriteFile(dir.file("empty.pdf"), "");
    std::string path = dir.file("empty.pdf");
    struct Case {
        std::string options;
        int result;
        int rotation;
        int raster;
    } cases[] = {
        {"TurnPage=true", 1, 180, 0},
        {"PDFRasterizedMode=true", 1, 0, 1},
        {"InputSlot=BypassTray MSILeadingEdge=LongEdgeR", 1, 180, 0},
        {"QZTurnPage=true QZPDFRasterizedMode=true", 0, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.options);
        PDFDocInfoRecord info{};
        CaptureStderr([&] { pdfDocInfo_init(path.c_str(), &info); });
        EXPECT_EQ(Decide(&info, c.options), c.result);
        EXPECT_EQ(info.rotation, c.rotation);
        EXPECT_EQ(info.rasterMode, c.raster);
        EXPECT_EQ(info.lastPage, 0);
    }
}
