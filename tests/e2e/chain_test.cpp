// Jobs that ask for page layout go through the platform's PDF filter.
#include "support/chain_tree.h"
#include "support/filter_run.h"

#include <gtest/gtest.h>

#include <qpdf/QPDF.hh>

#include <unistd.h>

#include <string>
#include <vector>

namespace {

const std::string kMarker = "%fake-layout\n";
const std::string kFail = "Process Data fail\n";

std::string SamplePpd()
{
    return std::string(QZ_SOURCE_DIR) + "/ppd/orvex-vyx.ppd";
}

// A document with bytes a text copy would mangle, larger than one block.
std::string Document()
{
    std::string doc = "%PDF-1.4\r\n";
    for (int i = 0; i < 30000; i++)
        doc += std::string("\0\xFF\r\n\r", 5) + static_cast<char>(i);
    return doc + "%%EOF";
}

int PageCount(const std::string &pdf)
{
    QPDF doc;
    doc.processMemoryFile("sent.pdf", pdf.data(), pdf.size());
    return static_cast<int>(doc.getAllPages().size());
}

// A job through a private tree whose tables name the fake layout filter.
class ChainJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree_.writeTable(1, "# Layout\n" + ConvLine("application/pdf",
                                                    "application/vnd.cups-pdf", 66, "layout"));
    }

    FilterRun Job(const std::string &options)
    {
        FilterRun run;
        run.args = JobArgs(options);
        run.env = tree_.env();
        run.env["PPD"] = SamplePpd();
        run.env["TMPDIR"] = tmp_.path();
        run.env["FAKE_FILTER_LOG"] = log_.file("args");
        return run;
    }

    std::vector<std::string> Recorded() const { return SplitLines(ReadFile(log_.file("args"))); }

    ChainTree tree_;
    TempDir tmp_, log_, in_;
};

} // namespace

TEST_F(ChainJob, LaidOutDocumentIsSentWithItsSize)
{
    tree_.addFakeFilter("layout");
    const std::string doc = Document();
    WriteFile(in_.file("in.pdf"), doc);

    FilterRun fromStdin = Job("number-up=2");
    fromStdin.stdinData = doc;
    FilterRun fromFile = Job("number-up=2");
    fromFile.args.push_back(in_.file("in.pdf"));

    struct Case {
        const char *what;
        const FilterRun &run;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"standard input", fromStdin,
         {"6", "qzpdftopjl", "42", "alice", "test.pdf", "1", "number-up=2"}},
        {"file argument", fromFile,
         {"7", "qzpdftopjl", "42", "alice", "test.pdf", "1", "number-up=2", in_.file("in.pdf")}},
    };
    for (const Case &c : cases) {
        FilterResult r = RunFilter(c.run);
        EXPECT_EQ(r.status, 0) << c.what << r.err;
        PjlJob job = ParsePjlJob(r.out);
        ASSERT_TRUE(job.wellFormed) << c.what;
        // Compared as a flag: a diff of two large binary texts is slow and useless.
        EXPECT_TRUE(job.pdf == kMarker + doc)
            << c.what << ": sent " << job.pdf.size() << " bytes, expected " << kMarker.size() + doc.size();
        EXPECT_EQ(HeaderAttr(job, "FSIZ"), std::to_string(job.pdf.size())) << c.what;
        EXPECT_EQ(Recorded(), c.args) << c.what;
        EXPECT_TRUE(tmp_.entries().empty()) << c.what;
    }
}

TEST_F(ChainJob, OnlyLayoutOptionsStartTheFilter)
{
    tree_.addFakeFilter("layout");
    const std::string scaling =
        "com.apple.print.subTicket.page_format_ticket..d.com.apple.print.PageFormat.PMScaling..n.";
    const std::string mapping = "com.apple.print.PageToPaperMappingType..n.";
    struct Case {
        std::string options;
        bool chained;
    };
    const Case cases[] = {
        {"", false},
        {"number-up=1", true},  // asked for, so laid out
        {"number-up=4", true},
        {"OutputOrder=Normal", false},
        {"OutputOrder=Reverse", true},
        {"page-border=none", true},
        {"page-set=all", true},
        {"mirror=false", true},
        {scaling + "=1", false},
        {scaling + "=0.5", true},
        {mapping + "=1", false},
        {mapping + "=2", true},
        {"Collate=True media=A4", false},
    };
    const std::string doc = "%PDF-1.4\n%%EOF\n";
    for (const Case &c : cases) {
        unlink(log_.file("args").c_str());
        FilterRun run = Job(c.options);
        run.stdinData = doc;
        FilterResult r = RunFilter(run);
        EXPECT_EQ(r.status, 0) << c.options;
        PjlJob job = ParsePjlJob(r.out);
        EXPECT_EQ(job.pdf, c.chained ? kMarker + doc : doc) << c.options;
        EXPECT_EQ(!log_.entries().empty(), c.chained) << c.options;
    }
}

TEST_F(ChainJob, AFilterThatFailsFailsTheJob)
{
    struct Case {
        const char *what;
        std::string variable;  // environment for the fake filter
        std::string value;
        std::string program;   // written in place of the fake filter when not empty
        int mode;
        std::string tables;    // replaces the tree's tables when not empty
        std::string err;       // expected on standard error before kFail
    };
    const std::string unusable = "access bestFilterPath error\n";
    const Case cases[] = {
        {"exits with status 1", "FAKE_FILTER_EXIT", "1", "", 0, "", ""},
        {"killed by a signal", "FAKE_FILTER_SIGNAL", "15", "", 0, "", ""},
        {"cannot be executed", "", "", "%PDF-1.4\n", 0644, "", ""},
        {"no table names a filter", "", "", "", 0,
         ConvLine("application/pdf", "application/vnd.cups-raster", 66, "layout"), unusable},
        {"the named filter is missing", "", "", "", 0,
         ConvLine("application/pdf", "application/vnd.cups-pdf", 66, "absent"), unusable},
    };
    WriteFile(in_.file("in.pdf"), Document());
    for (const Case &c : cases) {
        ChainTree tree;
        tree.writeTable(0, c.tables.empty() ? ReadFile(tree_.table(1)) : c.tables);
        if (c.program.empty())
            tree.addFakeFilter("layout");
        else
            tree.addProgram("layout", c.program, c.mode);
        FilterRun run = Job("number-up=2");
        run.env = tree.env();
        run.env["PPD"] = SamplePpd();
        run.env["TMPDIR"] = tmp_.path();
        if (!c.variable.empty())
            run.env[c.variable] = c.value;
        // From a file: a job that fails early never reads its standard input.
        run.args.push_back(in_.file("in.pdf"));

        FilterResult r = RunFilter(run);
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_EQ(r.out, "") << c.what;
        EXPECT_EQ(r.err, c.err + kFail) << c.what;
        EXPECT_TRUE(tmp_.entries().empty()) << c.what;
    }
}

// The installed cups-filters tables lead to pdftopdf, which puts two pages
// on each sheet.
TEST(ChainSystem, NumberUpRunsThroughPdftopdf)
{
    TempDir tmp, in;
    std::string pdf = MakePdf(in.file("four.pdf"), "--pages 4");
    for (bool fromFile : {false, true}) {
        FilterRun run;
        run.args = JobArgs("number-up=2");
        run.env["PPD"] = SamplePpd();
        run.env["TMPDIR"] = tmp.path();
        if (fromFile)
            run.args.push_back(pdf);
        else
            run.stdinData = ReadFile(pdf);

        FilterResult r = RunFilter(run);
        ASSERT_EQ(r.status, 0) << r.err;
        PjlJob job = ParsePjlJob(r.out);
        ASSERT_TRUE(job.wellFormed);
        EXPECT_EQ(PageCount(job.pdf), 2) << (fromFile ? "file" : "standard input");
        EXPECT_EQ(HeaderAttr(job, "FSIZ"), std::to_string(job.pdf.size()));
        EXPECT_TRUE(tmp.entries().empty());
    }
}
