// Running the platform filter in a child process and spooling its output.
#include "document/chain.h"
#include "document/spool.h"
#include "support/capture.h"
#include "support/chain_tree.h"
#include "support/filter_run.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#if defined(QZ_PROFILE_LINUX)

namespace {

const std::string kMarker = "%fake-layout\n";

// A document larger than any copy block, with bytes a text copy would
// mangle.
std::string BigDocument()
{
    std::string doc = "%PDF-1.4\r\n";
    for (int i = 0; i < 40000; i++)
        doc += std::string("\0\xFF\r\n", 4) + static_cast<char>(i);
    return doc + "%%EOF";
}

class ChainRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (auto &[name, value] : tree_.env())
            env_.set(name, value);
        env_.set("TMPDIR", spoolDir_.path());
        env_.set("FAKE_FILTER_LOG", logDir_.file("args"));
        env_.unset("FAKE_FILTER_EXIT");
        env_.unset("FAKE_FILTER_SIGNAL");
        std::string ppd = tree_.dir().file("job.ppd");
        WriteFile(ppd, "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*ModelName: \"Chain\"\n"
                       "*cupsFilter: \"application/pdf 0 qzpdftopjl\"\n");
        env_.set("PPD", ppd);
        tree_.writeTable(0, ConvLine("application/pdf", "application/vnd.cups-pdf", 66,
                                     "layout"));
    }

    // Runs the chain with argv[1..] as given; argv[0] is "qzpdftopjl".
    int Run(std::vector<std::string> args, std::string *err = nullptr)
    {
        args.insert(args.begin(), "qzpdftopjl");
        std::vector<char *> argv;
        for (auto &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::memset(spoolPath_, 0, sizeof(spoolPath_));
        int result = 0;
        std::string text = CaptureStderr([&] {
            result = SpoolThroughChainedFilter(static_cast<int>(args.size()), argv.data(),
                                               spoolPath_);
        });
        if (err != nullptr)
            *err = text;
        return result;
    }

    std::vector<std::string> JobArgv(const std::string &file = "")
    {
        std::vector<std::string> args = JobArgs("number-up=2");
        if (!file.empty())
            args.push_back(file);
        return args;
    }

    std::string Spooled() const { return ReadFile(spoolPath_); }
    std::vector<std::string> Recorded() const { return SplitLines(ReadFile(logDir_.file("args"))); }

    ChainTree tree_;
    TempDir spoolDir_, logDir_, inputDir_;
    ScopedEnv env_;
    char spoolPath_[kTempPathSize];
};

} // namespace

TEST_F(ChainRunTest, FileArgumentIsPassedOnAsTheSeventhArgument)
{
    tree_.addFakeFilter("layout");
    std::string doc = BigDocument();
    WriteFile(inputDir_.file("in.pdf"), doc);

    ASSERT_EQ(Run(JobArgv(inputDir_.file("in.pdf"))), 1);
    EXPECT_EQ(Spooled(), kMarker + doc);
    std::vector<std::string> expected = {"7", "qzpdftopjl", "42", "alice", "test.pdf", "1",
                                         "number-up=2", inputDir_.file("in.pdf")};
    EXPECT_EQ(Recorded(), expected);
    EXPECT_EQ(spoolDir_.entries().size(), 1u);
    EXPECT_EQ(std::string(spoolPath_).rfind(spoolDir_.path(), 0), 0u);

    // Arguments beyond the seventh are not handed on.
    std::vector<std::string> args = JobArgv(inputDir_.file("in.pdf"));
    args.push_back("extra");
    unlink(spoolPath_);
    ASSERT_EQ(Run(args), 1);
    EXPECT_EQ(Recorded(), expected);
}

TEST_F(ChainRunTest, WithoutFileTheFilterReadsTheInheritedStandardInput)
{
    tree_.addFakeFilter("layout");
    std::string doc = BigDocument();
    WriteFile(inputDir_.file("in.pdf"), doc);
    int saved = dup(STDIN_FILENO);
    int input = open(inputDir_.file("in.pdf").c_str(), O_RDONLY);
    ASSERT_GE(input, 0);
    dup2(input, STDIN_FILENO);
    close(input);
    int result = Run(JobArgv());
    dup2(saved, STDIN_FILENO);
    close(saved);

    ASSERT_EQ(result, 1);
    EXPECT_EQ(Spooled(), kMarker + doc);
    std::vector<std::string> expected = {"6", "qzpdftopjl", "42", "alice", "test.pdf", "1",
                                         "number-up=2"};
    EXPECT_EQ(Recorded(), expected);
}

TEST_F(ChainRunTest, AFailedFilterFailsAndLeavesNoSpoolFile)
{
    struct Case {
        const char *what;
        const char *variable;  // set to value for the fake filter, or null
        const char *value;
        std::string program;   // written in place of the fake filter when not empty
        int mode;
    };
    const Case cases[] = {
        {"exits with status 3 after its output", "FAKE_FILTER_EXIT", "3", "", 0},
        {"killed by a signal after its output", "FAKE_FILTER_SIGNAL", "9", "", 0},
        {"cannot be run: no execute permission", nullptr, nullptr, "#!/bin/sh\necho hi\n", 0644},
        {"cannot be run: not a program", nullptr, nullptr, "not a program\n", 0755},
    };
    WriteFile(inputDir_.file("in.pdf"), "%PDF-1.4\n%%EOF\n");
    for (const Case &c : cases) {
        unlink(tree_.program("layout").c_str());
        if (c.program.empty())
            tree_.addFakeFilter("layout");
        else
            tree_.addProgram("layout", c.program, c.mode);
        ScopedEnv env;
        if (c.variable != nullptr)
            env.set(c.variable, c.value);

        std::string err;
        EXPECT_EQ(Run(JobArgv(inputDir_.file("in.pdf")), &err), 0) << c.what;
        EXPECT_STREQ(spoolPath_, "") << c.what;
        EXPECT_TRUE(spoolDir_.entries().empty()) << c.what;
    }
}

TEST_F(ChainRunTest, NoUsableProgramStartsNoChild)
{
    // The table names a program that is not there.
    std::string err;
    EXPECT_EQ(Run(JobArgv(), &err), 0);
    EXPECT_EQ(err, "access bestFilterPath error\n");
    EXPECT_STREQ(spoolPath_, "");
    EXPECT_TRUE(spoolDir_.entries().empty());
    EXPECT_TRUE(logDir_.entries().empty());
}

TEST(SaveToTempFile, CopiesThePipeToItsEndAndDropsTheFileOnAReadError)
{
    TempDir spoolDir;
    ScopedEnv env;
    env.set("TMPDIR", spoolDir.path());
    std::string doc = BigDocument();

    // Fill the pipe from a child while this process reads it.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        close(fds[0]);
        size_t done = 0;
        while (done < doc.size()) {
            ssize_t n = write(fds[1], doc.data() + done, doc.size() - done);
            if (n <= 0)
                _exit(1);
            done += static_cast<size_t>(n);
        }
        _exit(0);
    }
    close(fds[1]);
    char path[kTempPathSize] = {0};
    EXPECT_EQ(SaveToTempFile(fds[0], path), 1);
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    EXPECT_EQ(ReadFile(path), doc);
    unlink(path);

    // A descriptor that cannot be read: no spool file is left.
    ASSERT_EQ(pipe(fds), 0);
    char failed[kTempPathSize] = {0};
    EXPECT_EQ(SaveToTempFile(fds[1], failed), 0);
    close(fds[0]);
    close(fds[1]);
    EXPECT_STREQ(failed, "");
    EXPECT_TRUE(spoolDir.entries().empty());
}

#endif
