#include "document/chain.h"

#include "document/filter_table.h"
#include "document/spool.h"

#include <cups/cups.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// The laid-out document comes through the pipe; blocks of a pipe's whole
// capacity keep the copy to a couple of system calls per block.
constexpr size_t kPipeBlock = 64 * 1024;

// Length of the spool file's name as cupsTempFd makes it.
constexpr int kSpoolNameSize = 64;

// Owns one descriptor.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }
    // Closes the descriptor now; false when the close reports an error
    // (for a file, that written data may be lost).
    bool reset()
    {
        int result = fd_ >= 0 ? close(fd_) : 0;
        fd_ = -1;
        return result == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void DropSpoolFile(char *spoolPath)
{
    if (spoolPath[0] != '\0')
        unlink(spoolPath);
    std::memset(spoolPath, 0, kTempPathSize);
}

// Collects the child's status; true only when it exited with status 0.
bool ChildSucceeded(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs in the child: the pipe becomes standard output, the job's input
// stays standard input, and the filter program takes over the process.
[[noreturn]] void RunChild(int pipeFds[2], const char *filterPath, int argc, char **argv)
{
    if (pipeFds[1] != STDOUT_FILENO) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[1]);
    }
    close(pipeFds[0]);
    ExecuteFilter(filterPath, argc, argv);
    // _exit, not exit: the parent's buffered output must not be written
    // a second time from here.
    _exit(127);
}

} // namespace

void ExecuteFilter(const char *filterPath, int argc, char **argv)
{
    if (argc < 7)
        execl(filterPath, argv[0], argv[1], argv[2], argv[3], argv[4], argv[5],
              static_cast<char *>(nullptr));
    else
        execl(filterPath, argv[0], argv[1], argv[2], argv[3], argv[4], argv[5], argv[6],
              static_cast<char *>(nullptr));
}

int SaveToTempFile(int fd, char *spoolPath)
{
    Descriptor spool(cupsTempFd(spoolPath, kSpoolNameSize));
    if (spool.get() < 0) {
        std::memset(spoolPath, 0, kTempPathSize);
        return 0;
    }

    std::vector<char> block(kPipeBlock);
    bool ok = true;
    for (;;) {
        ssize_t n = read(fd, block.data(), block.size());
        if (n == 0)
            break;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || !WriteAll(spool.get(), block.data(), static_cast<size_t>(n))) {
            ok = false;
            break;
        }
    }
    if (!spool.reset())
        ok = false;
    if (!ok)
        DropSpoolFile(spoolPath);
    return ok ? 1 : 0;
}

int SpoolThroughChainedFilter(int argc, char **argv, char *spoolPath)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return 0;
    Descriptor readEnd(pipeFds[0]), writeEnd(pipeFds[1]);

    char filterPath[kFilterPathSize] = {0};
    if (PrepFormat(filterPath) == -1)
        return 0;

    pid_t pid = fork();
    if (pid < 0)
        return 0;
    if (pid == 0)
        RunChild(pipeFds, filterPath, argc, argv);

    // Without our own write end the pipe ends when the filter ends.
    writeEnd.reset();
    int saved = SaveToTempFile(readEnd.get(), spoolPath);
    // A filter still writing after a failed spool gets SIGPIPE instead of
    // waiting forever on a pipe nobody reads.
    readEnd.reset();

    // A filter that failed or was killed may have written only part of the
    // document; sending that would print a wrong job.
    if (!ChildSucceeded(pid)) {
        DropSpoolFile(spoolPath);
        return 0;
    }
    return saved;
}
