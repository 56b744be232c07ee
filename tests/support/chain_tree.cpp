#include "support/chain_tree.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

ChainTree::ChainTree()
{
    for (const char *sub : {"data", "data/mime", "root", "bin", "bin/filter"}) {
        if (mkdir(dir_.file(sub).c_str(), 0755) != 0)
            throw std::runtime_error("mkdir");
    }
}

std::string ChainTree::table(int i) const
{
    static const char *const kTables[4] = {"data/mime/cupsfilters.convs", "data/mime/mime.convs",
                                           "root/cupsfilters.convs", "root/mime.convs"};
    return dir_.file(kTables[i]);
}

void ChainTree::writeTable(int i, const std::string &text) const
{
    WriteFile(table(i), text);
}

std::string ChainTree::program(const std::string &name) const
{
    return serverBin() + "/filter/" + name;
}

std::string ChainTree::addFakeFilter(const std::string &name) const
{
    std::string path = program(name);
    if (symlink(QZ_FAKE_FILTER_PATH, path.c_str()) != 0)
        throw std::runtime_error("symlink");
    return path;
}

std::string ChainTree::addProgram(const std::string &name, const std::string &content,
                                  int mode) const
{
    std::string path = program(name);
    WriteFile(path, content);
    chmod(path.c_str(), static_cast<mode_t>(mode));
    return path;
}

std::map<std::string, std::string> ChainTree::env() const
{
    return {{"CUPS_DATADIR", dir_.file("data")},
            {"CUPS_SERVERROOT", dir_.file("root")},
            {"CUPS_SERVERBIN", serverBin()}};
}

void ScopedEnv::remember(const std::string &name)
{
    const char *old = getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
}

void ScopedEnv::set(const std::string &name, const std::string &value)
{
    remember(name);
    setenv(name.c_str(), value.c_str(), 1);
}

void ScopedEnv::unset(const std::string &name)
{
    remember(name);
    unsetenv(name.c_str());
}

ScopedEnv::~ScopedEnv()
{
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second)
            setenv(it->first.c_str(), it->second->c_str(), 1);
        else
            unsetenv(it->first.c_str());
    }
}

std::string ConvLine(const std::string &source, const std::string &destination, int cost,
                     const std::string &program)
{
    return source + "\t" + destination + "\t" + std::to_string(cost) + "\t" + program + "\n";
}
