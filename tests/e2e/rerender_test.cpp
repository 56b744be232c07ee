// Re-rendered documents as the printer gets them: which pages are sent,
// turned pages, rasterised pages, form fields, and the fall-back to the
// spooled document. The PDF sent is examined with qpdf and poppler-utils.
#include "support/chain_tree.h"
#include "support/filter_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kCopies = "com.apple.print.PrintSettings.PMCopies..n.=";
const std::string kSides = "com.apple.print.PrintSettings.PMTotalSidesImaged..n.=";

struct Sent {
    FilterResult result;
    std::string pdf;   // the PDF part of the job
    std::string path;  // the same, as a file for the tools
};

// The mark that the fake layout filter puts before the document it passes on.
const std::string kLaidOut = "%fake-layout\n";

// Runs a job on input with options; the PDF sent lands in work/sent.pdf.
// Layout options go through the fake platform filter of chain.
Sent Print(const TempDir &work, const std::string &input, const std::string &options,
           const ChainTree *chain = nullptr)
{
    TempDir tmp;
    FilterRun run;
    run.args = JobArgs(options);
    run.args.push_back(input);
    if (chain != nullptr)
        run.env = chain->env();
    run.env["PPD"] = chain != nullptr ? std::string(QZ_SOURCE_DIR) + "/ppd/orvex-vyx.ppd"
                                      : Fixture("plain.ppd");
    run.env["TMPDIR"] = tmp.path();
    Sent sent;
    sent.result = RunFilter(run);
    PjlJob job = ParsePjlJob(sent.result.out);
    EXPECT_TRUE(job.wellFormed);
    EXPECT_EQ(HeaderAttr(job, "FSIZ"), std::to_string(job.pdf.size()));
    EXPECT_TRUE(tmp.entries().empty()) << "temporary files left behind";
    sent.pdf = job.pdf;
    sent.path = work.file("sent.pdf");
    WriteFile(sent.path, job.pdf);
    return sent;
}

std::string Quote(const std::string &path)
{
    return "'" + path + "'";
}

int PageCount(const std::string &pdf)
{
    return std::stoi("0" + Shell("qpdf --show-npages " + Quote(pdf) + " 2>/dev/null"));
}

// The text of each page.
std::vector<std::string> PageTexts(const std::string &pdf)
{
    std::vector<std::string> pages;
    for (int n = 1; n <= PageCount(pdf); n++)
        pages.push_back(Shell("pdftotext -f " + std::to_string(n) + " -l " + std::to_string(n) +
                              " " + Quote(pdf) + " - 2>/dev/null"));
    return pages;
}

// Which "Page n" each page shows.
std::vector<int> PageNumbers(const std::string &pdf)
{
    std::vector<int> numbers;
    for (const std::string &text : PageTexts(pdf)) {
        size_t at = text.find("Page ");
        numbers.push_back(at == std::string::npos ? 0 : std::atoi(text.c_str() + at + 5));
    }
    return numbers;
}

struct Box {
    double x0, y0, x1, y1;
};

std::vector<Box> MediaBoxes(const std::string &pdf)
{
    std::vector<Box> boxes;
    std::istringstream in(Shell("pdfinfo -box -f 1 -l 9999 " + Quote(pdf) + " 2>/dev/null"));
    std::string line;
    while (std::getline(in, line)) {
        size_t at = line.find("MediaBox:");
        if (at == std::string::npos)
            continue;
        Box b{};
        std::istringstream(line.substr(at + 9)) >> b.x0 >> b.y0 >> b.x1 >> b.y1;
        boxes.push_back(b);
    }
    return boxes;
}

void ExpectSameBoxes(const std::vector<Box> &got, const std::vector<Box> &want)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); i++) {
        EXPECT_NEAR(got[i].x0, want[i].x0, 0.01) << "page " << i + 1;
        EXPECT_NEAR(got[i].y0, want[i].y0, 0.01) << "page " << i + 1;
        EXPECT_NEAR(got[i].x1, want[i].x1, 0.01) << "page " << i + 1;
        EXPECT_NEAR(got[i].y1, want[i].y1, 0.01) << "page " << i + 1;
    }
}

// Where a word stands on page 1, from the top left corner of the page.
Box WordBox(const std::string &pdf, const std::string &word)
{
    std::istringstream in(Shell("pdftotext -bbox -f 1 -l 1 " + Quote(pdf) + " - 2>/dev/null"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.find(">" + word + "</word>") == std::string::npos)
            continue;
        Box b{};
        std::sscanf(line.c_str(), " <word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"", &b.x0,
                    &b.y0, &b.x1, &b.y1);
        return b;
    }
    ADD_FAILURE() << word << " not found on page 1";
    return {};
}

// The dark part of a page, in fractions of its width and height from its
// top left corner, as a viewer shows it.
Box InkBox(const std::string &pdf, int page)
{
    std::string n = std::to_string(page);
    std::string pgm = Shell("pdftoppm -gray -r 18 -f " + n + " -l " + n + " " + Quote(pdf));
    int width = 0, height = 0, max = 0, used = 0;
    if (std::sscanf(pgm.c_str(), "P5 %d %d %d%n", &width, &height, &max, &used) != 3 || width == 0)
        return {};
    const unsigned char *pixels = reinterpret_cast<const unsigned char *>(pgm.data()) + used + 1;
    Box ink{1, 1, 0, 0};
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            if (pixels[size_t(y) * width + x] < 128) {
                ink.x0 = std::fmin(ink.x0, double(x) / width);
                ink.y0 = std::fmin(ink.y0, double(y) / height);
                ink.x1 = std::fmax(ink.x1, double(x + 1) / width);
                ink.y1 = std::fmax(ink.y1, double(y + 1) / height);
            }
    return ink;
}

struct ImageInfo {
    int page, width, height, xppi, yppi;
};

std::vector<ImageInfo> Images(const std::string &pdf)
{
    std::vector<ImageInfo> images;
    std::istringstream in(Shell("pdfimages -list " + Quote(pdf) + " 2>/dev/null"));
    std::string line;
    std::getline(in, line);
    std::getline(in, line);
    while (std::getline(in, line)) {
        ImageInfo i{};
        char type[32], colour[32], enc[32], interp[8];
        int num = 0, comp = 0, bpc = 0, object = 0, generation = 0;
        if (std::sscanf(line.c_str(), "%d %d %31s %d %d %31s %d %d %31s %7s %d %d %d %d", &i.page,
                        &num, type, &i.width, &i.height, colour, &comp, &bpc, enc, interp, &object,
                        &generation, &i.xppi, &i.yppi) == 14)
            images.push_back(i);
    }
    return images;
}

std::string Raster()
{
    return "QZPDFRasterizedMode=true";
}

// A CUPS tree whose platform PDF filter passes the document on unchanged
// but for a mark in front.
struct FakeLayout {
    FakeLayout()
    {
        tree.writeTable(1, "# Layout\n" + ConvLine("application/pdf", "application/vnd.cups-pdf",
                                                   66, "layout"));
        tree.addFakeFilter("layout");
    }
    ChainTree tree;
};

} // namespace

TEST(Rerender, SendsOneCopysWorthOfPages)
{
    TempDir work;
    FakeLayout layout;
    std::string input = MakePdf(work.file("in.pdf"), "--pages 6");
    // number-up=1 lays the document out through the platform filter; the
    // copies it then holds are counted from its pages.
    struct Case {
        std::string options;
        bool chained;
        std::vector<int> pages;
    } cases[] = {
        {kCopies + "2 " + kSides + "6 Collate=true", false, {1, 2, 3}},
        {kCopies + "2 " + kSides + "6 Collate=false", false, {1, 3, 5}},
        {kCopies + "2 number-up=1 Collate=true", true, {1, 2, 3}},
        {kCopies + "2 number-up=1 Collate=false", true, {1, 3, 5}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.options);
        Sent sent = Print(work, input, c.options, c.chained ? &layout.tree : nullptr);
        EXPECT_EQ(sent.result.status, 0);
        EXPECT_EQ(sent.result.err, "");
        EXPECT_EQ(PageNumbers(sent.path), c.pages);
        ExpectSameBoxes(MediaBoxes(sent.path), std::vector<Box>(3, Box{0, 0, 612, 792}));
    }
}

TEST(Rerender, HalfTurnMovesTextToTheOppositeCornerOfTheSameBox)
{
    TempDir work;
    for (const char *origin : {"0 0", "100 200"}) {
        SCOPED_TRACE(std::string("origin ") + origin);
        std::string input = MakePdf(work.file("in.pdf"),
                                    std::string("--size 595.276 841.89 --origin ") + origin);
        Box before = WordBox(input, "Page");
        Sent sent = Print(work, input, "QZTurnPage=true");
        EXPECT_EQ(sent.result.status, 0);
        Box after = WordBox(sent.path, "Page");
        const double w = 595.276, h = 841.89;
        EXPECT_NEAR(after.x1, w - before.x0, 0.05);
        EXPECT_NEAR(after.y1, h - before.y0, 0.05);
        EXPECT_NEAR(after.x0, w - before.x1, 0.05);
        ExpectSameBoxes(MediaBoxes(sent.path), MediaBoxes(input));
    }
}

TEST(Rerender, TwoTurnsThatCancelRedrawThePageUnturned)
{
    TempDir work;
    std::string input = MakePdf(work.file("in.pdf"), "--origin 100 200");
    Sent sent = Print(work, input, "orientation-requested=6 QZTurnPage=true");
    EXPECT_NE(sent.pdf, ReadFile(input)) << "the document is re-rendered";
    Box before = WordBox(input, "Page"), after = WordBox(sent.path, "Page");
    EXPECT_NEAR(after.x0, before.x0, 0.05);
    EXPECT_NEAR(after.y0, before.y0, 0.05);
}

TEST(Rerender, PageTurnForDisplayIsKept)
{
    TempDir work;
    std::string input = MakePdf(work.file("in.pdf"), "--rotate 90");
    Sent sent = Print(work, input, "QZTurnPage=true");
    EXPECT_NE(Shell("pdfinfo -f 1 -l 1 " + Quote(sent.path)).find("rot:   90"), std::string::npos);
}

TEST(Rerender, FilledFormFieldsShowOnTheRedrawnPage)
{
    TempDir work;
    for (const char *kind : {"--field", "--field-unrendered"}) {
        SCOPED_TRACE(kind);
        std::string input = MakePdf(work.file("in.pdf"), std::string(kind) + " 'Filled In'");
        Sent sent = Print(work, input, "QZTurnPage=true");
        std::vector<std::string> texts = PageTexts(sent.path);
        ASSERT_EQ(texts.size(), 1u);
        size_t at = texts[0].find("Filled In");
        ASSERT_NE(at, std::string::npos) << texts[0];
        EXPECT_EQ(texts[0].find("Filled In", at + 1), std::string::npos) << "drawn once";
        // The value is part of the page, turned with it.
        Box field = WordBox(sent.path, "Filled");
        EXPECT_GT(field.y0, 792 - 200 - 20 - 1);

        // Rasterised, the value shows as ink right of and below "Page 1".
        Box ink = InkBox(Print(work, input, Raster()).path, 1);
        EXPECT_GT(ink.x1, 300.0 / 612);
        EXPECT_GT(ink.y1, 190.0 / 792);
    }
}

TEST(Rerender, RasterPagesAreOneImageCoveringTheMediaBox)
{
    TempDir work;
    struct Case {
        std::string pages;
        std::vector<ImageInfo> images;
    } cases[] = {
        {"--size 595.276 841.89", {{1, 2480, 3507, 300, 300}}},
        {"--pages 3 --sizes 612x792,595.276x841.89,842x595",
         {{1, 2550, 3300, 300, 300}, {2, 2480, 3507, 300, 300}, {3, 3508, 2479, 300, 300}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pages);
        std::string input = MakePdf(work.file("in.pdf"), c.pages);
        Sent sent = Print(work, input, Raster());
        EXPECT_EQ(sent.result.status, 0);
        EXPECT_EQ(sent.result.err, "");
        std::vector<ImageInfo> images = Images(sent.path);
        ASSERT_EQ(images.size(), c.images.size());
        for (size_t i = 0; i < images.size(); i++) {
            EXPECT_EQ(images[i].page, c.images[i].page);
            EXPECT_EQ(images[i].width, c.images[i].width);
            EXPECT_EQ(images[i].height, c.images[i].height);
            EXPECT_EQ(images[i].xppi, 300);
            EXPECT_EQ(images[i].yppi, 300);
        }
        EXPECT_EQ(PageTexts(sent.path), std::vector<std::string>(c.images.size(), "\f"))
            << "no text left, only images";
        ExpectSameBoxes(MediaBoxes(sent.path), MediaBoxes(input));
        // Every page, whatever its size, shows its "Page n" at the top left.
        for (int page = 1; page <= int(c.images.size()); page++) {
            Box ink = InkBox(sent.path, page);
            EXPECT_LT(ink.x1, 0.4) << "page " << page;
            EXPECT_LT(ink.y1, 0.15) << "page " << page;
        }
    }
}

TEST(Rerender, RasterPagesStayInPlaceWhereverTheMediaBoxStarts)
{
    TempDir work;
    struct Case {
        std::string pdf;
        std::string options;
        bool turned;
    } cases[] = {
        {"--origin 0 0", Raster(), false},
        {"--origin 100 200", Raster(), false},
        {"--origin 0 0", Raster() + " QZTurnPage=true", true},
        {"--origin 100 200", Raster() + " QZTurnPage=true", true},
        {"--origin -300 -50", Raster() + " QZTurnPage=true", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pdf + " " + c.options);
        std::string input = MakePdf(work.file("in.pdf"), c.pdf);
        Box original = InkBox(input, 1);
        Box ink = InkBox(Print(work, input, c.options).path, 1);
        Box want = c.turned ? Box{1 - original.x1, 1 - original.y1, 1 - original.x0, 1 - original.y0}
                            : original;
        const double pixel = 1.0 / 100;  // about a pixel at 18 dpi
        EXPECT_NEAR(ink.x0, want.x0, 2 * pixel);
        EXPECT_NEAR(ink.y0, want.y0, 2 * pixel);
        EXPECT_NEAR(ink.x1, want.x1, 2 * pixel);
        EXPECT_NEAR(ink.y1, want.y1, 2 * pixel);
    }
}

TEST(Rerender, PagesBeyondTheDocumentSendTheSpooledDocument)
{
    TempDir work;
    FakeLayout layout;
    std::string input = MakePdf(work.file("in.pdf"), "--pages 5");
    // Page-set "odd" of 20 sides asks for pages up to 10; the turn makes
    // the document re-rendered, which fails at page 6. The page set goes
    // through the platform filter, whose output is the spooled document.
    for (const std::string &mode : {std::string(), Raster()}) {
        SCOPED_TRACE(mode);
        Sent sent = Print(work, input,
                          kCopies + "2 " + kSides + "20 page-set=odd QZTurnPage=true " + mode,
                          &layout.tree);
        EXPECT_EQ(sent.result.status, 0);
        EXPECT_EQ(sent.result.err, "");
        EXPECT_TRUE(sent.pdf == kLaidOut + ReadFile(input));
    }
}

TEST(Rerender, UnreadableDocumentWithAnEditSendsAnEmptyDocument)
{
    // Without a readable document the option prefix stays empty, so the
    // bare "TurnPage" asks for the edit, and no page is there to draw.
    TempDir work;
    WriteFile(work.file("in.pdf"), "This is not a PDF.\n");
    Sent sent = Print(work, work.file("in.pdf"), "TurnPage=true");
    EXPECT_EQ(sent.result.status, 0);
    EXPECT_EQ(sent.result.err, "CGPDFDocumentCreateWithURL error\n");
    EXPECT_EQ(sent.pdf.compare(0, 5, "%PDF-"), 0);
    EXPECT_EQ(PageCount(sent.path), 0);
}
