// Owning wrappers for libcups handles, so every path releases them.
#pragma once

#include <cups/cups.h>
#include <cups/ppd.h>

#include <cstdlib>
#include <memory>

struct PpdCloser {
    void operator()(ppd_file_t *ppd) const { ppdClose(ppd); }
};
using PpdFile = std::unique_ptr<ppd_file_t, PpdCloser>;

// Opens the PPD named by the PPD environment variable; empty when the
// variable is unset or the file cannot be read as a PPD.
inline PpdFile OpenJobPPD()
{
    const char *path = std::getenv("PPD");
    if (path == nullptr)
        return PpdFile();
    return PpdFile(ppdOpenFile(path));
}

// A parsed option list, freed when it goes out of scope.
class CupsOptions {
public:
    explicit CupsOptions(const char *text)
    {
        count_ = cupsParseOptions(text, 0, &options_);
    }
    ~CupsOptions() { cupsFreeOptions(count_, options_); }
    CupsOptions(const CupsOptions &) = delete;
    CupsOptions &operator=(const CupsOptions &) = delete;

    int count() const { return count_; }
    cups_option_t *list() const { return options_; }
    const char *get(const char *name) const
    {
        return cupsGetOption(name, count_, options_);
    }

private:
    int count_ = 0;
    cups_option_t *options_ = nullptr;
};
