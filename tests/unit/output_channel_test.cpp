#include "driver/output_channel.h"
#include "support/capture.h"
#include "support/filter_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

namespace {

// Points the flag file and TMPDIR at a private folder for one test.
class JobCopyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedFlag_ = FlagPath;
        flag_ = dir_.file("qzjobcopy");
        FlagPath = flag_.c_str();
        const char *tmp = getenv("TMPDIR");
        hadTmp_ = tmp != nullptr;
        if (hadTmp_)
            savedTmp_ = tmp;
        gJobFilefp = nullptr;
    }
    void TearDown() override
    {
        if (gJobFilefp != nullptr)
            fclose(gJobFilefp);
        gJobFilefp = nullptr;
        FlagPath = savedFlag_;
        if (hadTmp_)
            setenv("TMPDIR", savedTmp_.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

    TempDir dir_;
    std::string flag_;
    const char *savedFlag_ = nullptr;
    bool hadTmp_ = false;
    std::string savedTmp_;
};

} // namespace

TEST_F(JobCopyTest, ChannelWritesBothStreamsInCallOrder)
{
    std::string copyPath = dir_.file("copy");
    gJobFilefp = fopen(copyPath.c_str(), "wb");
    ASSERT_NE(gJobFilefp, nullptr);

    std::string out = CaptureStdout([] {
        EXPECT_EQ(Utlfwrite("abc\0d", 1, 5, stdout), 5u);
        EXPECT_GE(Utlfputs("line\n", stdout), 0);
        EXPECT_EQ(Utlfputc(0xFF, stdout), 0xFF);
    });
    std::string err = CaptureStderr([] { Utlfputs("oops\n", stderr); });
    fclose(gJobFilefp);
    gJobFilefp = nullptr;

    EXPECT_EQ(out, std::string("abc\0dline\n\xFF", 11));
    EXPECT_EQ(err, "oops\n");
    EXPECT_EQ(ReadFile(copyPath), std::string("abc\0dline\n\xFFoops\n", 16));
}

TEST_F(JobCopyTest, NoCopyWithoutFlagFile)
{
    setenv("TMPDIR", dir_.path().c_str(), 1);
    char path[kJobCopyPathSize] = {0};
    OpenJobCopyFile(path);
    EXPECT_EQ(gJobFilefp, nullptr);
    EXPECT_TRUE(dir_.entries().empty());
}

TEST_F(JobCopyTest, NameFromTmpdirAndLocalTime)
{
    WriteFile(flag_, "");
    TempDir tmp;
    setenv("TMPDIR", tmp.path().c_str(), 1);
    char path[kJobCopyPathSize] = {0};
    OpenJobCopyFile(path);
    ASSERT_NE(gJobFilefp, nullptr);
    std::string name = path;
    EXPECT_TRUE(std::regex_match(name, std::regex(tmp.path() + "/ff[0-9]{14}\\.job"))) << name;

    FILE *devnull = fopen("/dev/null", "w");
    Utlfputs("data", devnull);
    fclose(devnull);
    umask(077);
    CloseJobCopyFile(path);
    umask(022);
    EXPECT_EQ(gJobFilefp, nullptr);
    struct stat info;
    ASSERT_EQ(stat(path, &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0676u);
    EXPECT_EQ(ReadFile(path), "data");
}

TEST_F(JobCopyTest, PercentInTmpdirIsTakenLiterally)
{
    WriteFile(flag_, "");
    TempDir tmp;
    std::string odd = tmp.file("50%s%d");
    ASSERT_EQ(mkdir(odd.c_str(), 0700), 0);
    setenv("TMPDIR", odd.c_str(), 1);
    char path[kJobCopyPathSize] = {0};
    OpenJobCopyFile(path);
    ASSERT_NE(gJobFilefp, nullptr);
    EXPECT_EQ(std::string(path).rfind(odd + "/ff", 0), 0u);
}

TEST_F(JobCopyTest, NoCopyWithoutTmpdirOrWhenTheNameDoesNotFit)
{
    WriteFile(flag_, "");
    unsetenv("TMPDIR");
    char path[kJobCopyPathSize] = {0};
    OpenJobCopyFile(path);
    EXPECT_EQ(gJobFilefp, nullptr);
    EXPECT_EQ(path[0], '\0');

    std::string longDir = "/" + std::string(1020, 'd');
    setenv("TMPDIR", longDir.c_str(), 1);
    OpenJobCopyFile(path);
    EXPECT_EQ(gJobFilefp, nullptr);
    EXPECT_EQ(path[0], '\0');
}

TEST_F(JobCopyTest, UnwritableFolderMeansNoCopy)
{
    WriteFile(flag_, "");
    setenv("TMPDIR", "/nonexistent/folder", 1);
    char path[kJobCopyPathSize] = {0};
    OpenJobCopyFile(path);
    EXPECT_EQ(gJobFilefp, nullptr);
}
