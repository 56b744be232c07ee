#include "document/spool.h"

#include "document/byte_copy.h"
#include "document/chain.h"
#include "document/edit_decision.h"
#include "document/rerender.h"
#include "driver/output_channel.h"
#include "platform/stdio_file.h"

#include <cups/cups.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {


int64_t SizeOf(const char *path)
{
    struct stat info;
    if (path[0] == '\0' || stat(path, &info) != 0)
        return 0;
    return static_cast<int64_t>(info.st_size);
}

// A document that is a regular file on the spool file's own file system is
// spooled by giving it the spool file's name as a second link: the spool
// file then holds the input's bytes without a copy of them, and removing it
// later removes only that name. The link replaces the empty file that
// cupsTempFd made, by rename, so the name never points anywhere else. Not
// used while a job copy is made, as that copy must receive the document.
bool LinkAsSpool(FILE *input, const char *spoolPath)
{
    struct stat info;
    if (gJobFilefp != nullptr || fstat(fileno(input), &info) != 0 || !S_ISREG(info.st_mode))
        return false;

    char self[64];
    char linkPath[kTempPathSize + 8];
    std::snprintf(self, sizeof(self), "/proc/self/fd/%d", fileno(input));
    std::snprintf(linkPath, sizeof(linkPath), "%s.lnk", spoolPath);
    if (linkat(AT_FDCWD, self, AT_FDCWD, linkPath, AT_SYMLINK_FOLLOW) != 0)
        return false;
    if (rename(linkPath, spoolPath) != 0) {
        unlink(linkPath);
        return false;
    }
    return true;
}

} // namespace

int SaveToTempFileFromCups(int argc, char **argv, char *spoolPath)
{
    StdioFile input;
    FILE *source = stdin;
    if (argc != 6) {
        input.reset(fopen(argv[6], "rb"));
        if (!input)
            return 0;
        source = input.get();
    }

    int fd = cupsTempFd(spoolPath, 64);
    if (fd < 0)
        return 0;
    if (input && LinkAsSpool(input.get(), spoolPath)) {
        close(fd);
        return 1;
    }
    FILE *spool = fdopen(fd, "wb");
    if (spool == nullptr) {
        close(fd);
        unlink(spoolPath);
        return 0;
    }

    int copied = CopyThroughChannel(source, spool);
    if (fclose(spool) != 0)
        copied = 0;
    if (!copied) {
        unlink(spoolPath);
        return 0;
    }
    return 1;
}

void WritePDFData(const char *path)
{
    StdioFile file(fopen(path, "rb"));
    if (!file)
        return;
    CopyThroughChannel(file.get(), stdout);
    file.reset();
    unlink(path);
}

int ProcessData(int argc, char **argv, char *finalPath, PDFDocInfoRecord *info,
                int64_t *fileSize, PrintOptions *options)
{
    char spoolPath[kTempPathSize] = {0};

    int chained = checkIfNeddApplePDF(options);
    if (chained == 1) {
        if (!SpoolThroughChainedFilter(argc, argv, spoolPath))
            return 0;
    } else if (!SaveToTempFileFromCups(argc, argv, spoolPath)) {
        return 0;
    }

    pdfDocInfo_init(spoolPath, info);
    if (CheckIfNeedEdit(argv, info, chained) == 1 && PreProcess(info, finalPath) == 1) {
        unlink(spoolPath);
    } else {
        std::memset(finalPath, 0, kTempPathSize);
        std::memcpy(finalPath, spoolPath, kTempPathSize);
    }

    *fileSize = SizeOf(finalPath);
    pdfDocInfo_release(info);
    return 1;
}
