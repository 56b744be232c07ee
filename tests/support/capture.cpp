#include "support/capture.h"

#include <unistd.h>

#include <stdexcept>

std::string CaptureStream(FILE *stream, const std::function<void()> &body)
{
    fflush(stream);
    int fd = fileno(stream);
    int saved = dup(fd);
    FILE *sink = tmpfile();
    if (saved < 0 || sink == nullptr)
        throw std::runtime_error("capture");
    dup2(fileno(sink), fd);
    body();
    fflush(stream);
    dup2(saved, fd);
    close(saved);

    std::string text;
    rewind(sink);
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), sink)) > 0)
        text.append(buf, n);
    fclose(sink);
    return text;
}
