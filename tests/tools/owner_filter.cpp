// The filter with its clock and its host name taken from the environment,
// so that tests can check the owner block without depending on the time
// of day or on the machine's name:
//   QZ_TEST_NOW       "YYYY-MM-DD hh:mm:ss", a local time
//   QZ_TEST_HOSTNAME  the name that the host name source reports
#include "driver/job_flow.h"
#include "host/UtilityFunctionFilter.h"
#include "pjl/owner.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

time_t gFixedNow = 0;
const char *gFixedHostName = nullptr;

time_t FixedClock()
{
    return gFixedNow;
}

int FixedHostName(char *name, size_t length)
{
    std::strncpy(name, gFixedHostName, length);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (const char *now = std::getenv("QZ_TEST_NOW")) {
        struct tm local{};
        if (std::sscanf(now, "%d-%d-%d %d:%d:%d", &local.tm_year, &local.tm_mon, &local.tm_mday,
                        &local.tm_hour, &local.tm_min, &local.tm_sec) == 6) {
            local.tm_year -= 1900;
            local.tm_mon -= 1;
            local.tm_isdst = -1;
            gFixedNow = mktime(&local);
            gOwnerClock = FixedClock;
        }
    }
    if ((gFixedHostName = std::getenv("QZ_TEST_HOSTNAME")) != nullptr)
        gHostNameSource = FixedHostName;
    return FilterMain(argc, argv);
}
