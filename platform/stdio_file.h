// An owned C stream, closed when it goes out of scope.
#pragma once

#include <cstdio>
#include <memory>

struct StdioFileCloser {
    void operator()(FILE *f) const { fclose(f); }
};
using StdioFile = std::unique_ptr<FILE, StdioFileCloser>;
