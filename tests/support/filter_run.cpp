#include "support/filter_run.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

void SetNonBlocking(int fd)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

} // namespace

FilterResult RunFilter(const FilterRun &run, const std::string &program)
{
    std::string path = program.empty() ? QZ_FILTER_PATH : program;
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0)
        throw std::runtime_error("pipe");

    std::vector<std::string> argvText{"qzpdftopjl"};
    argvText.insert(argvText.end(), run.args.begin(), run.args.end());
    std::vector<char *> argv;
    for (auto &a : argvText)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envText;
    if (const char *p = getenv("PATH"))
        envText.push_back(std::string("PATH=") + p);
    for (auto &[k, v] : run.env)
        envText.push_back(k + "=" + v);
    std::vector<char *> envp;
    for (auto &e : envText)
        envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);

    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork");
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        signal(SIGPIPE, SIG_DFL);
        execve(path.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (run.sendSignal != 0) {
        // Give the filter time to install its handlers; it then waits for
        // its input, which is written only after the signal.
        usleep(300 * 1000);
        kill(pid, run.sendSignal);
    }

    // A filter that ends before it has read all its input must not take
    // the test down with it: its closed pipe then gives EPIPE, not a signal.
    signal(SIGPIPE, SIG_IGN);

    FilterResult result;
    SetNonBlocking(in[1]);
    size_t written = 0;
    int inFd = in[1], outFd = out[0], errFd = err[0];
    if (run.stdinData.empty()) {
        close(inFd);
        inFd = -1;
    }
    char buf[65536];
    while (outFd >= 0 || errFd >= 0) {
        pollfd fds[3];
        int n = 0;
        if (inFd >= 0)
            fds[n++] = {inFd, POLLOUT, 0};
        if (outFd >= 0)
            fds[n++] = {outFd, POLLIN, 0};
        if (errFd >= 0)
            fds[n++] = {errFd, POLLIN, 0};
        if (poll(fds, n, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < n; i++) {
            if (fds[i].revents == 0)
                continue;
            if (fds[i].fd == inFd) {
                ssize_t w = write(inFd, run.stdinData.data() + written,
                                  run.stdinData.size() - written);
                if (w > 0)
                    written += static_cast<size_t>(w);
                if (w < 0 && errno != EAGAIN) {
                    close(inFd);
                    inFd = -1;
                } else if (written == run.stdinData.size()) {
                    close(inFd);
                    inFd = -1;
                }
            } else {
                int &fd = fds[i].fd == outFd ? outFd : errFd;
                std::string &sink = fds[i].fd == outFd ? result.out : result.err;
                ssize_t r = read(fd, buf, sizeof(buf));
                if (r > 0) {
                    sink.append(buf, static_cast<size_t>(r));
                    if (&fd == &outFd && run.closeStdoutAfter &&
                        result.out.size() >= run.closeStdoutAt) {
                        close(outFd);
                        outFd = -1;
                    }
                } else if (r == 0 || errno != EAGAIN) {
                    close(fd);
                    fd = -1;
                }
            }
        }
    }
    if (inFd >= 0)
        close(inFd);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    return result;
}

std::vector<std::string> JobArgs(const std::string &options, const std::string &title,
                                 const std::string &copies, const std::string &user)
{
    return {"42", user, title, copies, options};
}

PjlJob ParsePjlJob(const std::string &out)
{
    PjlJob job;
    const std::string uel = "\033%-12345X";
    const std::string start = uel + "@PJL JOB MODE=PRINTER\n";
    const std::string enter = "@PJL ENTER LANGUAGE=PDF\n";
    const std::string trailer = uel + "@PJL EOJ\n";
    if (out.compare(0, start.size(), start) != 0 || out.size() < start.size() + trailer.size() ||
        out.compare(out.size() - trailer.size(), trailer.size(), trailer) != 0)
        return job;
    size_t pos = uel.size();
    for (;;) {
        size_t eol = out.find('\n', pos);
        if (eol == std::string::npos)
            return job;
        std::string line = out.substr(pos, eol - pos);
        job.header.push_back(line);
        pos = eol + 1;
        if (line + "\n" == enter)
            break;
    }
    size_t end = out.size() - trailer.size();
    if (pos > end)
        return job;
    job.pdf = out.substr(pos, end - pos);
    job.wellFormed = true;
    return job;
}

std::string HeaderAttr(const PjlJob &job, const std::string &name)
{
    const std::string prefix = "@PJL SET JOBATTR=\"@" + name + "=";
    for (auto &line : job.header) {
        if (line.compare(0, prefix.size(), prefix) == 0 && !line.empty() && line.back() == '"')
            return line.substr(prefix.size(), line.size() - prefix.size() - 1);
    }
    return "";
}

std::string HeaderSet(const PjlJob &job, const std::string &name)
{
    const std::string prefix = "@PJL SET " + name + "=";
    for (auto &line : job.header) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            return line.substr(prefix.size());
    }
    return "";
}

TempDir::TempDir()
{
    const char *base = getenv("TMPDIR");
    std::string pattern = std::string(base ? base : "/tmp") + "/qztest.XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) == nullptr)
        throw std::runtime_error("mkdtemp");
    path_ = buf.data();
}

TempDir::~TempDir()
{
    std::string command = "rm -rf '" + path_ + "'";
    if (system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", path_.c_str());
}

std::vector<std::string> TempDir::entries() const
{
    std::vector<std::string> names;
    DIR *dir = opendir(path_.c_str());
    if (dir == nullptr)
        return names;
    while (dirent *e = readdir(dir)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.push_back(e->d_name);
    }
    closedir(dir);
    return names;
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

void WriteFile(const std::string &path, const std::string &data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::string Fixture(const std::string &name)
{
    return std::string(QZ_FIXTURES_DIR) + "/" + name;
}

std::string MakePdf(const std::string &path, const std::string &extra)
{
    std::string command = std::string(QZ_MKPDF_PATH) + " '" + path + "' " + extra;
    if (system(command.c_str()) != 0)
        throw std::runtime_error("mkpdf failed: " + command);
    return path;
}

std::string Shell(const std::string &command)
{
    std::string output;
    FILE *p = popen(command.c_str(), "r");
    if (p == nullptr)
        return output;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), p)) > 0)
        output.append(buf, n);
    pclose(p);
    return output;
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}
