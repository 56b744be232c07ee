// The filter with its flag file path taken from QZ_TEST_FLAG_PATH and its
// file-creation mask from QZ_TEST_UMASK, so that tests can switch the job
// copy file on without touching the system's printer folder.
#include "driver/job_flow.h"
#include "driver/output_channel.h"

#include <sys/stat.h>

#include <cstdlib>

int main(int argc, char **argv)
{
    if (const char *flag = std::getenv("QZ_TEST_FLAG_PATH"))
        FlagPath = flag;
    if (const char *mask = std::getenv("QZ_TEST_UMASK"))
        umask(static_cast<mode_t>(std::strtol(mask, nullptr, 8)));
    return FilterMain(argc, argv);
}
