// Finding the platform PDF filter in the CUPS conversion tables.
#include "document/chain_profile.h"
#include "document/filter_table.h"
#include "support/capture.h"
#include "support/chain_tree.h"
#include "support/filter_run.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace {

const std::string kPdf = "application/pdf";
const std::string kCupsPdf = "application/vnd.cups-pdf";

// A media type of exactly n characters.
std::string TypeOfLength(size_t n)
{
    std::string type = "application/x-";
    type.resize(n, 'q');
    return type;
}

struct TableCase {
    const char *what;
    std::string table;
    int expected;
    std::string program;
};

// Tells whether a file was opened while it was watched.
class OpenWatch {
public:
    explicit OpenWatch(const std::string &path) : fd_(inotify_init1(IN_NONBLOCK))
    {
        if (fd_ < 0 || inotify_add_watch(fd_, path.c_str(), IN_OPEN) < 0)
            ADD_FAILURE() << "cannot watch " << path;
    }
    ~OpenWatch() { close(fd_); }
    bool opened() const
    {
        char events[4096];
        return read(fd_, events, sizeof(events)) > 0;
    }

private:
    int fd_;
};

} // namespace

TEST(BestFilter, LinesOfOneTable)
{
    const std::string longName(70, 'p');
    const TableCase cases[] = {
        {"tab-separated line", ConvLine(kPdf, kCupsPdf, 66, "pdftopdf"), 1, "pdftopdf"},
        {"space-separated line", kPdf + " " + kCupsPdf + "  66 pdftopdf\n", 1, "pdftopdf"},
        {"no line end after the last line", kPdf + " " + kCupsPdf + " 5 last", 1, "last"},
        {"first match in file order wins over a cheaper one",
         ConvLine(kPdf, kCupsPdf, 500, "first") + ConvLine(kPdf, kCupsPdf, 1, "second"), 1,
         "first"},
        {"cost 999 matches", ConvLine(kPdf, kCupsPdf, 999, "dear"), 1, "dear"},
        {"cost 1000 is skipped and the search goes on",
         ConvLine(kPdf, kCupsPdf, 1000, "toodear") + ConvLine(kPdf, kCupsPdf, 10, "next"), 1,
         "next"},
        {"a cost too large for any integer is skipped",
         kPdf + " " + kCupsPdf + " 99999999999999999999999 huge\n", 0, ""},
        {"a commented line matches like any other", "#" + ConvLine(kPdf, kCupsPdf, 66, "old"), 1,
         "old"},
        {"comments and blank lines without a conversion",
         "# Conversion table\n\n#\n" + ConvLine("text/plain", kCupsPdf, 32, "texttopdf"), 0, ""},
        {"empty table", "", 0, ""},
        {"other destination", ConvLine(kPdf, "application/vnd.cups-raster", 66, "raster"), 0,
         ""},
        {"longer source type", ConvLine(kPdf + "x", kCupsPdf, 66, "other"), 0, ""},
        {"source type inside a longer word", ConvLine("x" + kPdf, kCupsPdf, 66, "other"), 0, ""},
        {"program name cut to 63 characters", ConvLine(kPdf, kCupsPdf, 1, longName), 1,
         longName.substr(0, 63)},
        // Lines are read in pieces of 127 characters, each matched alone.
        {"a piece ends inside the program name",
         std::string(127 - 47, '#') + kPdf + " " + kCupsPdf + " 5 progname\n", 1, "prog"},
        {"the conversion lies in the second piece",
         std::string(127, '#') + ConvLine(kPdf, kCupsPdf, 5, "second-piece"), 1,
         "second-piece"},
        {"a conversion split between pieces is no match",
         std::string(110, '#') + " " + kPdf + " " + kCupsPdf + " 10 split\n" +
             ConvLine(kPdf, kCupsPdf, 20, "after"),
         1, "after"},
    };
    TempDir dir;
    for (const TableCase &c : cases) {
        WriteFile(dir.file("t.convs"), c.table);
        char name[kFilterFieldSize];
        std::memset(name, 0, sizeof(name));
        EXPECT_EQ(BestFilter(dir.file("t.convs").c_str(), kPdf.c_str(), kCupsPdf.c_str(), name),
                  c.expected)
            << c.what;
        EXPECT_EQ(std::string(name), c.program) << c.what;
    }
}

TEST(BestFilter, MissingTableYieldsNoMatch)
{
    TempDir dir;
    char name[kFilterFieldSize] = {0};
    EXPECT_EQ(BestFilter(dir.file("none.convs").c_str(), kPdf.c_str(), kCupsPdf.c_str(), name),
              0);
    EXPECT_EQ(BestFilter(dir.path().c_str(), kPdf.c_str(), kCupsPdf.c_str(), name), 0);
    EXPECT_STREQ(name, "");
}

#if defined(QZ_PROFILE_LINUX)

TEST(ChainProfile, CupsFoldersFromTheEnvironmentOrTheirDefaults)
{
    ScopedEnv env;
    env.unset("CUPS_DATADIR");
    env.set("CUPS_SERVERROOT", "");
    env.unset("CUPS_SERVERBIN");
    EXPECT_STREQ(mimeTypeFormat, "application/vnd.cups-pdf");
    auto tables = cupsDirectory();
    EXPECT_EQ(tables[0], "/usr/share/cups/mime/cupsfilters.convs");
    EXPECT_EQ(tables[1], "/usr/share/cups/mime/mime.convs");
    EXPECT_EQ(tables[2], "/etc/cups/cupsfilters.convs");
    EXPECT_EQ(tables[3], "/etc/cups/mime.convs");
    EXPECT_EQ(FilterDirectory(), "/usr/lib/cups/filter/");

    env.set("CUPS_DATADIR", "/d");
    env.set("CUPS_SERVERROOT", "/r");
    env.set("CUPS_SERVERBIN", "/b");
    tables = cupsDirectory();
    EXPECT_EQ(tables[0], "/d/mime/cupsfilters.convs");
    EXPECT_EQ(tables[1], "/d/mime/mime.convs");
    EXPECT_EQ(tables[2], "/r/cupsfilters.convs");
    EXPECT_EQ(tables[3], "/r/mime.convs");
    EXPECT_EQ(FilterDirectory(), "/b/filter/");
}

namespace {

// ChooseFilter and PrepFormat against a private folder tree.
class ChooseFilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (auto &[name, value] : tree_.env())
            env_.set(name, value);
    }

    // The chosen path, or "<untouched>" when the buffer was left as it was.
    std::string Choose(const std::string &source, std::string *err = nullptr)
    {
        char path[kFilterPathSize];
        std::memset(path, 0, sizeof(path));
        std::strcpy(path, "<untouched>");
        std::string text = CaptureStderr([&] { ChooseFilter(source.c_str(), path); });
        if (err != nullptr)
            *err = text;
        return path;
    }

    ChainTree tree_;
    ScopedEnv env_;
};

} // namespace

TEST_F(ChooseFilterTest, TablesAreSearchedInOrder)
{
    // Which of the four tables hold a matching line, and which program wins.
    struct Case {
        bool matches[4];
        const char *program;
    };
    const Case cases[] = {
        {{true, false, false, false}, "from0"}, {{false, true, false, false}, "from1"},
        {{false, false, true, false}, "from2"}, {{false, false, false, true}, "from3"},
        {{true, true, true, true}, "from0"},    {{false, false, true, true}, "from2"},
    };
    for (const Case &c : cases) {
        for (int i = 0; i < 4; i++) {
            std::string text = ConvLine(kPdf, "application/postscript", 1, "wrong" +
                                                                              std::to_string(i));
            if (c.matches[i])
                text += ConvLine(kPdf, kCupsPdf, 66, "from" + std::to_string(i));
            tree_.writeTable(i, text);
        }
        EXPECT_EQ(Choose(kPdf), tree_.program(c.program)) << c.program;
    }
}

TEST_F(ChooseFilterTest, MissingTablesAreSkipped)
{
    tree_.writeTable(3, ConvLine(kPdf, kCupsPdf, 66, "last"));
    EXPECT_EQ(Choose(kPdf), tree_.program("last"));
}

TEST_F(ChooseFilterTest, AMatchLeavesTheLaterTablesUnread)
{
    tree_.writeTable(0, ConvLine("text/plain", kCupsPdf, 32, "texttopdf"));
    tree_.writeTable(1, ConvLine(kPdf, kCupsPdf, 66, "second"));
    tree_.writeTable(2, ConvLine(kPdf, kCupsPdf, 66, "third"));
    tree_.writeTable(3, ConvLine(kPdf, kCupsPdf, 66, "fourth"));
    {
        OpenWatch first(tree_.table(0)), third(tree_.table(2)), fourth(tree_.table(3));
        EXPECT_EQ(Choose(kPdf), tree_.program("second"));
        EXPECT_TRUE(first.opened());
        EXPECT_FALSE(third.opened());
        EXPECT_FALSE(fourth.opened());
    }
    // Once the second table has no match, the third is read.
    tree_.writeTable(1, "");
    OpenWatch third(tree_.table(2)), fourth(tree_.table(3));
    EXPECT_EQ(Choose(kPdf), tree_.program("third"));
    EXPECT_TRUE(third.opened());
    EXPECT_FALSE(fourth.opened());
}

TEST_F(ChooseFilterTest, NoMatchLeavesThePathEmpty)
{
    for (int i = 0; i < 4; i++)
        tree_.writeTable(i, ConvLine(kPdf, kCupsPdf, 1000, "toodear"));
    std::string err;
    EXPECT_EQ(Choose(kPdf, &err), "<untouched>");
    EXPECT_EQ(err, "");
}

TEST_F(ChooseFilterTest, EmptySourceTypeIsReported)
{
    tree_.writeTable(0, ConvLine(kPdf, kCupsPdf, 66, "pdftopdf"));
    std::string err;
    EXPECT_EQ(Choose("", &err), "<untouched>");
    EXPECT_EQ(err, "get srcFormat error\n");
}

TEST_F(ChooseFilterTest, SourceTypeOfTheDestinationsLengthIsNotSearched)
{
    const size_t n = std::strlen(mimeTypeFormat);
    for (size_t length : {n - 1, n, n + 1})
        tree_.writeTable(0, (length == n - 1 ? "" : ReadFile(tree_.table(0))) +
                                ConvLine(TypeOfLength(length), kCupsPdf, 1,
                                         "len" + std::to_string(length)));

    OpenWatch watch(tree_.table(0));
    std::string err;
    EXPECT_EQ(Choose(TypeOfLength(n), &err), "<untouched>");
    EXPECT_EQ(err, "");
    EXPECT_FALSE(watch.opened());
    // Only the length counts, not the text: the destination type itself.
    EXPECT_EQ(Choose(mimeTypeFormat), "<untouched>");

    EXPECT_EQ(Choose(TypeOfLength(n - 1)), tree_.program("len" + std::to_string(n - 1)));
    EXPECT_EQ(Choose(TypeOfLength(n + 1)), tree_.program("len" + std::to_string(n + 1)));
}

TEST_F(ChooseFilterTest, LongPathIsCutTo63Characters)
{
    std::string name(80, 'n');
    tree_.writeTable(0, ConvLine(kPdf, kCupsPdf, 1, name));
    std::string path = Choose(kPdf);
    EXPECT_EQ(path.size(), 63u);
    EXPECT_EQ(path, tree_.program(name).substr(0, 63));
}

namespace {

class PrepFormatTest : public ChooseFilterTest {
protected:
    // Writes a PPD with the given extra lines and points PPD at it.
    void UsePpd(const std::string &lines)
    {
        std::string ppd = tree_.dir().file("job.ppd");
        WriteFile(ppd, "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n"
                       "*ModelName: \"Chain Test\"\n" + lines);
        env_.set("PPD", ppd);
    }

    int Prep(std::string *path, std::string *err)
    {
        char buffer[kFilterPathSize];
        std::memset(buffer, 0, sizeof(buffer));
        int result = 0;
        *err = CaptureStderr([&] { result = PrepFormat(buffer); });
        *path = buffer;
        return result;
    }
};

} // namespace

TEST_F(PrepFormatTest, FindsTheProgramForThePpdsInputType)
{
    tree_.writeTable(1, ConvLine(kPdf, kCupsPdf, 66, "layout"));
    tree_.addFakeFilter("layout");
    UsePpd("*cupsFilter: \"application/pdf 0 qzpdftopjl\"\n");
    std::string path, err;
    EXPECT_EQ(Prep(&path, &err), 1);
    EXPECT_EQ(path, tree_.program("layout"));
    EXPECT_EQ(err, "");
}

TEST_F(PrepFormatTest, FirstAttributeBeginningWithCupsFilterIsTaken)
{
    tree_.writeTable(0, ConvLine("application/x-first", kCupsPdf, 66, "first") +
                            ConvLine(kPdf, kCupsPdf, 66, "layout"));
    tree_.addFakeFilter("first");
    tree_.addFakeFilter("layout");
    UsePpd("*cupsFilter2: \"application/x-first application/vnd.x 0 qzpdftopjl\"\n"
           "*cupsFilter: \"application/pdf 0 qzpdftopjl\"\n");
    std::string path, err;
    EXPECT_EQ(Prep(&path, &err), 1);
    EXPECT_EQ(path, tree_.program("first"));
}

TEST_F(PrepFormatTest, Failures)
{
    struct Case {
        const char *what;
        std::string ppdLines;  // empty: PPD points nowhere
        std::string err;
    };
    const std::string unusable = "access bestFilterPath error\n";
    const Case cases[] = {
        {"PPD cannot be opened", "", "ppdOpenFile return NULL\n"},
        {"no cupsFilter attribute", "*cupsVersion: 2.4\n", "get srcFormat error\n" + unusable},
        {"a cupsFilter value of spaces only", "*cupsFilter: \"   \"\n",
         "get srcFormat error\n" + unusable},
        {"a first word too long for a source type",
         "*cupsFilter: \"application/pdf-with-a-long-tail 0 qzpdftopjl\"\n",
         "get srcFormat error\n" + unusable},
        {"a tab-separated value is one word that no line matches",
         "*cupsFilter: \"application/pdf\t0\tqzpdftopjl\"\n", unusable},
        {"a source type of the destination's length",
         "*cupsFilter: \"" + TypeOfLength(std::strlen(mimeTypeFormat)) + " 0 qzpdftopjl\"\n",
         unusable},
        {"no table line matches", "*cupsFilter: \"image/png 0 qzpdftopjl\"\n", unusable},
        {"the chosen program does not exist", "*cupsFilter: \"text/plain 0 qzpdftopjl\"\n",
         unusable},
    };
    tree_.writeTable(0, ConvLine(kPdf, kCupsPdf, 66, "layout") +
                            ConvLine("text/plain", kCupsPdf, 66, "missing") +
                            ConvLine("application/pdf-with-a-long-tai", kCupsPdf, 66, "layout") +
                            ConvLine(TypeOfLength(std::strlen(mimeTypeFormat)), kCupsPdf, 1,
                                     "layout"));
    tree_.addFakeFilter("layout");
    for (const Case &c : cases) {
        if (c.ppdLines.empty())
            env_.set("PPD", tree_.dir().file("no-such.ppd"));
        else
            UsePpd(c.ppdLines);
        std::string path, err;
        EXPECT_EQ(Prep(&path, &err), -1) << c.what;
        EXPECT_EQ(err, c.err) << c.what;
    }
}

TEST_F(PrepFormatTest, ExistenceIsEnoughWithoutExecutePermission)
{
    tree_.writeTable(0, ConvLine(kPdf, kCupsPdf, 66, "plainfile"));
    tree_.addProgram("plainfile", "not a program\n", 0644);
    UsePpd("*cupsFilter: \"application/pdf 0 qzpdftopjl\"\n");
    std::string path, err;
    EXPECT_EQ(Prep(&path, &err), 1);
    EXPECT_EQ(path, tree_.program("plainfile"));
}

#endif
