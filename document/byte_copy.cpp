#include "document/byte_copy.h"

#include "driver/output_channel.h"

#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

// Large blocks keep the user-space copy close to the speed of cat.
constexpr size_t kCopyBlock = 1 << 20;
constexpr size_t kKernelChunk = 1 << 30;

enum class Kernel { Done, Failed, Unsupported };

// Moves the rest of in to out without user-space buffers. Unsupported
// means nothing was moved and the caller should copy by hand.
Kernel KernelCopy(int in, int out)
{
    struct stat info;
    if (fstat(in, &info) != 0 || !S_ISREG(info.st_mode))
        return Kernel::Unsupported;

    bool moved = false;
    bool useSendfile = false;
    for (;;) {
        ssize_t n = useSendfile ? sendfile(out, in, nullptr, kKernelChunk)
                                : copy_file_range(in, nullptr, out, nullptr, kKernelChunk, 0);
        if (n > 0) {
            moved = true;
            continue;
        }
        if (n == 0)
            return Kernel::Done;
        if (errno == EINTR)
            continue;
        if (!moved && !useSendfile &&
            (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
             errno == EBADF)) {
            useSendfile = true;
            continue;
        }
        if (!moved && (errno == EINVAL || errno == ENOSYS))
            return Kernel::Unsupported;
        return Kernel::Failed;
    }
}

int BufferedCopy(FILE *source, FILE *destination)
{
    std::vector<char> block(kCopyBlock);
    bool ok = true;
    for (;;) {
        size_t n = fread(block.data(), 1, block.size(), source);
        if (n > 0 && Utlfwrite(block.data(), 1, n, destination) != n)
            ok = false;
        if (n < block.size())
            break;
    }
    if (ferror(source))
        ok = false;
    return ok ? 1 : 0;
}

} // namespace

int CopyThroughChannel(FILE *source, FILE *destination)
{
    if (gJobFilefp == nullptr) {
        if (fflush(destination) != 0)
            return 0;
        switch (KernelCopy(fileno(source), fileno(destination))) {
        case Kernel::Done:
            return 1;
        case Kernel::Failed:
            return 0;
        case Kernel::Unsupported:
            break;
        }
    }
    return BufferedCopy(source, destination);
}
