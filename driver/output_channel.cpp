#include "driver/output_channel.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

const char *FlagPath = QZ_JOB_COPY_FLAG;
FILE *gJobFilefp = nullptr;

size_t Utlfwrite(const void *data, size_t size, size_t count, FILE *stream)
{
    if (gJobFilefp != nullptr)
        fwrite(data, size, count, gJobFilefp);
    return fwrite(data, size, count, stream);
}

int Utlfputs(const char *text, FILE *stream)
{
    if (gJobFilefp != nullptr)
        fputs(text, gJobFilefp);
    return fputs(text, stream);
}

int Utlfputc(int c, FILE *stream)
{
    if (gJobFilefp != nullptr)
        fputc(c, gJobFilefp);
    return fputc(c, stream);
}

void OpenJobCopyFile(char *path)
{
    struct stat info;
    if (stat(FlagPath, &info) != 0)
        return;

    // The scheduler always sets TMPDIR; without it there is no safe place
    // for the copy, so none is made.
    const char *tmpdir = std::getenv("TMPDIR");
    if (tmpdir == nullptr)
        return;

    char stamp[64] = {0};
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    strftime(stamp, sizeof(stamp), "%Y%m%d%H%M%S", &local);

    int n = snprintf(path, kJobCopyPathSize, "%s/ff%s.job", tmpdir, stamp);
    if (n < 0 || static_cast<size_t>(n) >= kJobCopyPathSize) {
        std::memset(path, 0, kJobCopyPathSize);
        return;
    }
    gJobFilefp = fopen(path, "wb");
}

void CloseJobCopyFile(const char *path)
{
    if (gJobFilefp == nullptr)
        return;
    fclose(gJobFilefp);
    gJobFilefp = nullptr;
    chmod(path, 0676);
}
