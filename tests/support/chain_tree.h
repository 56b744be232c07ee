// A private CUPS folder tree for the chained-filter tests: the four
// conversion tables under CUPS_DATADIR and CUPS_SERVERROOT, and filter
// programs under CUPS_SERVERBIN/filter.
#pragma once

#include "support/filter_run.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

class ChainTree {
public:
    ChainTree();

    // Path of the conversion table at position i (0 to 3) of the search.
    std::string table(int i) const;
    void writeTable(int i, const std::string &text) const;

    std::string serverBin() const { return dir_.file("bin"); }
    std::string program(const std::string &name) const;
    // Links the fake layout filter in as filter/name; returns its path.
    std::string addFakeFilter(const std::string &name) const;
    // Writes a file of the given mode as filter/name; returns its path.
    std::string addProgram(const std::string &name, const std::string &content, int mode) const;

    // CUPS_DATADIR, CUPS_SERVERROOT and CUPS_SERVERBIN for this tree.
    std::map<std::string, std::string> env() const;
    const TempDir &dir() const { return dir_; }

private:
    TempDir dir_;
};

// Sets or unsets environment variables for the life of the object and
// puts back what was there before.
class ScopedEnv {
public:
    ScopedEnv() = default;
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;
    void set(const std::string &name, const std::string &value);
    void unset(const std::string &name);

private:
    void remember(const std::string &name);
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// A conversion line "source destination cost program", tab-separated as in
// the CUPS tables.
std::string ConvLine(const std::string &source, const std::string &destination, int cost,
                     const std::string &program);
