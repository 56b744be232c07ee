// Captures what a function writes to standard output or standard error.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

std::string CaptureStream(FILE *stream, const std::function<void()> &body);

inline std::string CaptureStdout(const std::function<void()> &body)
{
    return CaptureStream(stdout, body);
}

inline std::string CaptureStderr(const std::function<void()> &body)
{
    return CaptureStream(stderr, body);
}
