// The filter run as CUPS runs it: framing of the PJL job, byte-exact
// pass-through of the document, failures and signals.
#include "support/filter_run.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kEnterLine = "@PJL ENTER LANGUAGE=PDF";

// Bytes that a line-oriented copy could get wrong.
std::string AwkwardDocument()
{
    std::string doc = "%PDF-1.4\r\n";
    doc += "cr only\rlf only\ncrlf\r\n\n\r\r";
    doc += std::string(3, '\xFF') + std::string("\0\0", 2) + "\x1B\n";
    doc += std::string(20000, 'x');
    doc += "\n" + std::string(8065, 'y') + "\r" + std::string(8066, 'z');
    doc += "\n%%EOF";  // no line end after the last bytes
    return doc;
}

FilterRun Job(const TempDir &tmp, const std::string &options = "")
{
    FilterRun run;
    run.args = JobArgs(options);
    run.env["PPD"] = Fixture("plain.ppd");
    run.env["TMPDIR"] = tmp.path();
    return run;
}

void ExpectFrame(const PjlJob &job)
{
    ASSERT_TRUE(job.wellFormed);
    ASSERT_GE(job.header.size(), 6u);
    EXPECT_EQ(job.header[0], "@PJL JOB MODE=PRINTER");
    EXPECT_EQ(job.header[1], "@PJL SET STRINGCODESET=\"SJISX0208\"");
    EXPECT_EQ(job.header[2], "@PJL COMMENT begin");
    EXPECT_EQ(job.header[3], "@PJL COMMENT Version:4.00");
    EXPECT_EQ(job.header.back(), kEnterLine);
    EXPECT_EQ(job.header[job.header.size() - 2].rfind("@PJL SET JOBATTR=\"@FSIZ=", 0), 0u);
    EXPECT_EQ(HeaderAttr(job, "FSIZ"), std::to_string(job.pdf.size()));
}

} // namespace

TEST(Spine, StandardInputPassesThroughByteForByte)
{
    TempDir tmp;
    FilterRun run = Job(tmp);
    run.stdinData = AwkwardDocument();
    FilterResult r = RunFilter(run);
    EXPECT_EQ(r.status, 0);
    // The awkward bytes are no readable PDF: that is reported, and they are
    // sent as they are.
    EXPECT_EQ(r.err, "CGPDFDocumentCreateWithURL error\n");
    PjlJob job = ParsePjlJob(r.out);
    ExpectFrame(job);
    EXPECT_EQ(job.pdf, run.stdinData);
    EXPECT_TRUE(tmp.entries().empty());
}

TEST(Spine, FileArgumentGivesTheSameJobAsStandardInput)
{
    TempDir tmp, in;
    std::string doc = AwkwardDocument();
    WriteFile(in.file("doc.pdf"), doc);

    // A fixed date and time, so that the owner block does not follow the
    // clock from one run to the next.
    const std::string fixedTime = "com.orvex.vyx.printsettings.JBAHkgnPrintDateTicketKey=d "
                                  "com.orvex.vyx.printsettings.JBAHkgnPrintTimeTicketKey=t";
    FilterRun fromStdin = Job(tmp, fixedTime);
    fromStdin.stdinData = doc;
    FilterRun fromFile = Job(tmp, fixedTime);
    fromFile.args.push_back(in.file("doc.pdf"));
    FilterRun extraArgs = fromFile;
    extraArgs.args.push_back("ignored");
    extraArgs.stdinData = "not read";

    FilterResult a = RunFilter(fromStdin), b = RunFilter(fromFile), c = RunFilter(extraArgs);
    EXPECT_EQ(a.status, 0);
    EXPECT_EQ(b.status, 0);
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(a.out, c.out);
    EXPECT_EQ(ParsePjlJob(b.out).pdf, doc);
    EXPECT_TRUE(tmp.entries().empty());
}

TEST(Spine, RealPdfKeepsItsSize)
{
    TempDir tmp, in;
    std::string pdf = MakePdf(in.file("three.pdf"), "--pages 3");
    FilterRun run = Job(tmp);
    run.args.push_back(pdf);
    FilterResult r = RunFilter(run);
    EXPECT_EQ(r.status, 0);
    PjlJob job = ParsePjlJob(r.out);
    ExpectFrame(job);
    EXPECT_EQ(job.pdf, ReadFile(pdf));
}

TEST(Spine, EmptyInputStillGivesAWholeJob)
{
    TempDir tmp;
    FilterResult r = RunFilter(Job(tmp));
    EXPECT_EQ(r.status, 0);
    PjlJob job = ParsePjlJob(r.out);
    ExpectFrame(job);
    EXPECT_EQ(HeaderAttr(job, "FSIZ"), "0");
    EXPECT_EQ(job.pdf, "");
    EXPECT_TRUE(tmp.entries().empty());
}

TEST(Spine, UnreadableInputFailsTheJob)
{
    TempDir tmp, in;
    std::string unreadable = in.file("secret.pdf");
    WriteFile(unreadable, "%PDF-1.4\n");
    chmod(unreadable.c_str(), 0);

    for (const std::string &path : {in.file("missing.pdf"), in.path(), unreadable}) {
        if (path == unreadable && geteuid() == 0)
            continue;  // root reads every file
        FilterRun run = Job(tmp);
        run.args.push_back(path);
        FilterResult r = RunFilter(run);
        EXPECT_EQ(r.status, 1) << path;
        EXPECT_EQ(r.out, "") << path;
        EXPECT_EQ(r.err, "Process Data fail\n") << path;
        EXPECT_TRUE(tmp.entries().empty()) << path;
    }
}

TEST(Spine, UnwritableTmpdirFailsTheJob)
{
    FilterRun run;
    run.args = JobArgs("");
    run.env["PPD"] = Fixture("plain.ppd");
    run.env["TMPDIR"] = "/nonexistent/tmp";
    run.stdinData = "%PDF-1.4\n";
    FilterResult r = RunFilter(run);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Process Data fail\n");
}

TEST(Spine, TooFewArgumentsIsAUsageError)
{
    TempDir tmp;
    FilterRun run = Job(tmp);
    run.args.resize(4);
    FilterResult r = RunFilter(run);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Usage"), std::string::npos);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
}

TEST(Spine, ClosedOutputEndsWithStatusOne)
{
    TempDir tmp;
    FilterRun run = Job(tmp);
    run.stdinData = std::string(4 << 20, 'p');
    run.closeStdoutAfter = true;
    run.closeStdoutAt = 1;
    FilterResult r = RunFilter(run);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(tmp.entries().empty());
}

TEST(Spine, TerminateSignalDoesNotStopTheJob)
{
    TempDir tmp;
    FilterRun run = Job(tmp);
    run.stdinData = AwkwardDocument();
    run.sendSignal = SIGTERM;
    FilterResult r = RunFilter(run);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.status, 0);
    PjlJob job = ParsePjlJob(r.out);
    ExpectFrame(job);
    EXPECT_EQ(job.pdf, run.stdinData);
}

TEST(Spine, JobCopyHoldsInputThenPrinterJob)
{
    TempDir tmp, flagDir;
    WriteFile(flagDir.file("qzjobcopy"), "");
    FilterRun run = Job(tmp);
    run.env["QZ_TEST_FLAG_PATH"] = flagDir.file("qzjobcopy");
    run.env["QZ_TEST_UMASK"] = "077";
    run.stdinData = AwkwardDocument();
    FilterResult r = RunFilter(run, QZ_FLAGGED_FILTER_PATH);
    ASSERT_EQ(r.status, 0);

    auto names = tmp.entries();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].size(), std::string("ff20261211114224.job").size());
    EXPECT_EQ(names[0].rfind("ff", 0), 0u);
    std::string copy = tmp.file(names[0]);
    // The document-opening error line comes between the two.
    EXPECT_EQ(ReadFile(copy), run.stdinData + "CGPDFDocumentCreateWithURL error\n" + r.out);
    struct stat info;
    ASSERT_EQ(stat(copy.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0676u);
}

TEST(Spine, FailedJobCopyEndsWithTheMessage)
{
    TempDir tmp, flagDir, in;
    WriteFile(flagDir.file("qzjobcopy"), "");
    FilterRun run = Job(tmp);
    run.env["QZ_TEST_FLAG_PATH"] = flagDir.file("qzjobcopy");
    run.args.push_back(in.file("missing.pdf"));
    FilterResult r = RunFilter(run, QZ_FLAGGED_FILTER_PATH);
    ASSERT_EQ(r.status, 1);
    auto names = tmp.entries();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(ReadFile(tmp.file(names[0])), "Process Data fail\n");
}

// A document named on the command line is spooled by a link when it lives
// on the temporary folder's file system and by a copy when it does not;
// either way the job sends its bytes and leaves the file itself alone.
TEST(Spine, FileArgumentIsLeftIntactWhetherLinkedOrCopied)
{
    TempDir in;
    std::string doc = AwkwardDocument();
    std::string path = in.file("doc.pdf");
    WriteFile(path, doc);
    chmod(path.c_str(), 0444);

    std::vector<std::string> folders = {""};
    struct stat shm;
    if (stat("/dev/shm", &shm) == 0 && S_ISDIR(shm.st_mode))
        folders.push_back("/dev/shm");  // another file system: copied
    for (const auto &base : folders) {
        for (const std::string options : {"", "QZTurnPage=true"}) {
            std::unique_ptr<TempDir> tmp;
            if (base.empty()) {
                tmp = std::make_unique<TempDir>();
            } else {
                const char *saved = getenv("TMPDIR");
                std::string keep = saved ? saved : "";
                setenv("TMPDIR", base.c_str(), 1);
                tmp = std::make_unique<TempDir>();
                if (saved)
                    setenv("TMPDIR", keep.c_str(), 1);
                else
                    unsetenv("TMPDIR");
            }
            FilterRun run = Job(*tmp, options);
            run.args.push_back(path);
            FilterResult r = RunFilter(run);
            EXPECT_EQ(r.status, 0) << base << " " << options;
            EXPECT_EQ(ParsePjlJob(r.out).pdf, doc) << base << " " << options;
            EXPECT_EQ(ReadFile(path), doc);
            struct stat info;
            ASSERT_EQ(stat(path.c_str(), &info), 0);
            EXPECT_EQ(info.st_nlink, 1u);
            EXPECT_EQ(info.st_mode & 07777, 0444u);
            EXPECT_TRUE(tmp->entries().empty()) << base << " " << options;
        }
    }
}
