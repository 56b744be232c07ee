// Input from anyone who may print: broken documents, huge or hostile option
// values, bad folders and PPDs. Every run ends either with a well-formed PJL
// job whose header lines hold no control byte, or with a failure message and
// status 1 and nothing on standard output; never with a crash, and never
// with a temporary file of the job left behind.
#include "support/filter_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Every line the filter itself may write on standard error.
const std::set<std::string> kKnownMessages = {
    "Get Print Options fail",
    "Process Data fail",
    "output XPJL Command fail",
    "CFStringCreateWithCString fail",
    "ppdOpenFile return NULL",
    "get srcFormat error",
    "access bestFilterPath error",
    "CFURLCreateFromFileSystemRepresentation error",
    "CGPDFDocumentCreateWithURL error",
};

const char kPrefix[] = "com.orvex.vyx.printsettings.";

// Every text option that the filter reads, by its key.
const char *const kTextKeys[] = {
    "PrintTypeUserNameTicketKey",       "PrintTypePasswordTicketKey",
    "DocumentNameTicketKey",            "JBAMacHostNameStringTicket",
    "JBAIPAddressStringTicket",         "JBAUserIDTextEditTicket",
    "JBAUserPasswordTextEditTicket",    "JBAInputUserIDTextEditTicket",
    "JBAInputUserPasswordTextEditTicket", "JBALoginTextEditTicket",
    "JBAHkgnPrintDateTicketKey",        "JBAHkgnPrintTimeTicketKey",
    "JBAHostNameStringTicket",          "JBAAdminUserIDTextEditTicket",
    "JBAAdminUserPasswordTextEditTicket",
};
const char *const kFeatureKeys[] = {
    "Collate",    "media",     "QZInputSlot",      "MediaType", "QZColorMode",
    "QZOutputMode", "QZStaple", "QZPunch",         "QZMSILeadingEdge", "QZTrapping",
    "com.apple.print.subTicket.page_format_ticket..d.com.apple.print.PageFormat.PMOrientation..n.",
    "com.apple.print.PrintSettings.PMOrientation..n.", "orientation-requested",
};

// Options that make every text option appear in the header: a stored
// private job with both name kinds and both credential blocks.
const std::string kShowEverything = std::string(kPrefix) + "PrintTypeTicketKey=2 " + kPrefix +
                                    "DocumentNameTypeTicketKey=2 " + kPrefix +
                                    "JBAManageTypeListTicketKey=1 " + kPrefix +
                                    "JBAUserIDListCtrlTicket=2 " + kPrefix +
                                    "JBAAdminUserInputRadioBtnTicket=1";

std::vector<std::string> AllTextKeys()
{
    std::vector<std::string> keys;
    for (const char *key : kTextKeys)
        keys.push_back(std::string(kPrefix) + key);
    for (const char *key : kFeatureKeys)
        keys.push_back(key);
    return keys;
}

std::string EveryTextOption(const std::string &value)
{
    std::string options = kShowEverything;
    for (const auto &key : AllTextKeys())
        options += " " + key + "=" + value;
    return options;
}

void ExpectSoundOutcome(const FilterResult &r, const TempDir &tmp, const std::string &what)
{
    SCOPED_TRACE(what);
    EXPECT_EQ(r.signal, 0);
    std::istringstream err(r.err);
    std::string line;
    while (std::getline(err, line)) {
        // The chained layout filter logs with the usual CUPS prefixes.
        bool childLog = line.rfind("DEBUG: ", 0) == 0 || line.rfind("INFO: ", 0) == 0 ||
                        line.rfind("WARNING: ", 0) == 0 || line.rfind("ERROR: ", 0) == 0;
        EXPECT_TRUE(kKnownMessages.count(line) || childLog) << "unexpected message: " << line;
    }

    if (r.status == 1 && r.out.empty()) {
        EXPECT_NE(r.err.find("fail\n"), std::string::npos);
    } else {
        EXPECT_EQ(r.status, 0);
        PjlJob job = ParsePjlJob(r.out);
        ASSERT_TRUE(job.wellFormed);
        for (size_t i = 0; i < job.header.size(); i++) {
            const std::string &h = job.header[i];
            EXPECT_LE(h.size() + 1, 254u) << h;
            for (unsigned char c : h)
                EXPECT_FALSE(c < 0x20 || c == 0x7F) << "control byte in: " << h;
        }
        EXPECT_EQ(HeaderAttr(job, "FSIZ"), std::to_string(job.pdf.size()));
    }
    EXPECT_TRUE(tmp.entries().empty());
}

FilterRun Job(const TempDir &tmp, const std::string &options, const std::string &ppd)
{
    FilterRun run;
    run.args = JobArgs(options);
    run.env["PPD"] = ppd;
    run.env["TMPDIR"] = tmp.path();
    return run;
}

const std::string kPpds[] = {std::string(QZ_SOURCE_DIR) + "/ppd/orvex-vyx.ppd",
                             Fixture("plain.ppd")};

} // namespace

TEST(HostileInput, BrokenDocuments)
{
    TempDir in;
    std::string good = ReadFile(MakePdf(in.file("good.pdf"), "--pages 3"));
    std::string encrypted = in.file("locked.pdf");
    Shell("qpdf --encrypt secret owner 256 -- '" + in.file("good.pdf") + "' '" + encrypted + "'");
    ASSERT_FALSE(ReadFile(encrypted).empty());

    struct Case {
        const char *name;
        std::string data;
    } cases[] = {
        {"zero bytes", ""},
        {"truncated", good.substr(0, good.size() / 2)},
        {"header only", "%PDF-1.7\n"},
        {"not a PDF", "This is a plain text file.\n\x01\x02\xFF"},
        {"needs a password", ReadFile(encrypted)},
    };
    // Plain jobs, and jobs whose options ask for pages to be edited.
    const std::string optionSets[] = {
        "",
        "QZTurnPage=true",
        "QZPDFRasterizedMode=true com.apple.print.PrintSettings.PMCopies..n.=2 Collate=true",
    };
    for (const auto &c : cases) {
        for (const auto &options : optionSets) {
            TempDir tmp;
            WriteFile(in.file("doc.pdf"), c.data);
            FilterRun run = Job(tmp, options, kPpds[0]);
            run.args.push_back(in.file("doc.pdf"));
            FilterResult r = RunFilter(run);
            ExpectSoundOutcome(r, tmp, std::string(c.name) + " / " + options);
            if (r.status == 0 && options.empty()) {
                EXPECT_EQ(ParsePjlJob(r.out).pdf, c.data) << c.name;
            }
        }
    }
}

TEST(HostileInput, HugeAndHostileOptionValues)
{
    struct Case {
        const char *name;
        std::string options;
        std::string title;
    } cases[] = {
        {"line feed and PJL", EveryTextOption("/10/64/80/74/76/32/69/79/74"), "a\nb"},
        {"carriage return", EveryTextOption("/13/13/65"), "x\ry"},
        {"escape and UEL", EveryTextOption("/27/37/45/49/50/51/52/53/88/64/80/74/76"),
         "\x1B%-12345X"},
        {"every control byte",
         EveryTextOption("/1/2/3/4/5/6/7/8/9/11/12/14/15/16/17/18/19/20/21/22/23/24/25/26/"
                         "28/29/30/31/127/65"),
         "\t\x7F"},
        {"invalid UTF-8", EveryTextOption("/255/254/195/40"), "\xFF\xFE\xC3(bad"},
        {"quotes and equals", EveryTextOption("\\\"a\\\"=b\\\""), "\"quoted\"=title"},
        {"numbers out of range", EveryTextOption("/99999999999/-99999999999/256/-1"), ""},
    };
    for (const auto &ppd : kPpds) {
        for (const auto &c : cases) {
            TempDir tmp;
            FilterRun run = Job(tmp, c.options, ppd);
            run.args[2] = c.title;
            run.stdinData = "%PDF-1.4\n%%EOF\n";
            ExpectSoundOutcome(RunFilter(run), tmp, std::string(c.name) + " on " + ppd);
        }
    }
}

// One option at a time, as the whole set would exceed the size of an
// argument that exec accepts.
TEST(HostileInput, SixtyFourKilobyteValues)
{
    const std::string big(64 * 1024, 'A');
    for (const auto &ppd : kPpds) {
        for (const auto &key : AllTextKeys()) {
            TempDir tmp;
            FilterRun run = Job(tmp, kShowEverything + " " + key + "=" + big, ppd);
            run.stdinData = "%PDF-1.4\n%%EOF\n";
            ExpectSoundOutcome(RunFilter(run), tmp, key + " on " + ppd);
        }
        TempDir tmp;
        FilterRun run = Job(tmp, kShowEverything + " number-up=" + big, ppd);
        run.args[2] = std::string(64 * 1024, 'T');
        run.stdinData = "%PDF-1.4\n%%EOF\n";
        ExpectSoundOutcome(RunFilter(run), tmp, "title and number-up on " + ppd);
    }
}

TEST(HostileInput, BadFoldersAndPpds)
{
    TempDir files;
    WriteFile(files.file("not-a-folder"), "x");
    WriteFile(files.file("garbage.ppd"), "this is no PPD\n\x01\x02");
    WriteFile(files.file("empty.ppd"), "");
    std::string unreadable = files.file("unreadable.ppd");
    WriteFile(unreadable, ReadFile(kPpds[0]));
    chmod(unreadable.c_str(), 0);

    // PPDs that cannot be used: the job goes out with what the options say.
    for (const std::string &ppd :
         {files.file("missing.ppd"), files.path(), files.file("garbage.ppd"),
          files.file("empty.ppd"), unreadable, std::string()}) {
        TempDir tmp;
        FilterRun run = Job(tmp, "media=A4 QZTurnPage=true", ppd);
        if (ppd.empty())
            run.env.erase("PPD");
        run.stdinData = ReadFile(Fixture("sample.pdf"));
        FilterResult r = RunFilter(run);
        ExpectSoundOutcome(r, tmp, "PPD " + ppd);
        EXPECT_EQ(r.status, 0);
    }

    // A temporary folder that cannot hold files fails the job.
    for (const std::string &dir : {files.file("not-a-folder"), files.file("missing/deeper")}) {
        FilterRun run;
        run.args = JobArgs("");
        run.env["PPD"] = kPpds[0];
        run.env["TMPDIR"] = dir;
        run.stdinData = ReadFile(Fixture("sample.pdf"));
        FilterResult r = RunFilter(run);
        EXPECT_EQ(r.status, 1) << dir;
        EXPECT_EQ(r.out, "") << dir;
        EXPECT_EQ(r.err, "Process Data fail\n") << dir;
    }
}
