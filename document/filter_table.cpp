#include "document/filter_table.h"

#include "document/chain_profile.h"
#include "driver/output_channel.h"
#include "options/ppd_lookup.h"
#include "platform/cups_handles.h"
#include "platform/stdio_file.h"

#include <regex.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

const char RegexPattern[] =
    "([a-z]+/[a-zA-Z_0-9!#$&.+-^*]+)[ \t\f\r\n]+([a-z]+/[a-zA-Z_0-9!#$&.+-^*]+)[ \t\f\r\n]+"
    "([0-9]+)+[ \t\f\r\n]+([^ \t\f\r\n]+)";

namespace {

constexpr int kCupsFilterValueSize = 128;
constexpr int kSourceTypeSize = 32;
constexpr int kTableLineSize = 128;
constexpr long kMaxCost = 999;


// A compiled expression, freed on every path.
class Regex {
public:
    explicit Regex(const char *pattern)
        : ok_(regcomp(&regex_, pattern, REG_EXTENDED | REG_NEWLINE) == 0) {}
    ~Regex()
    {
        if (ok_)
            regfree(&regex_);
    }
    Regex(const Regex &) = delete;
    Regex &operator=(const Regex &) = delete;
    bool ok() const { return ok_; }
    const regex_t *get() const { return &regex_; }

private:
    regex_t regex_;
    bool ok_;
};

// Copies one sub-match into a zero-filled field, cut to the field's size.
void CopyGroup(const char *line, const regmatch_t &match, char *field)
{
    std::memset(field, 0, kFilterFieldSize);
    if (match.rm_so < 0)
        return;
    size_t length = static_cast<size_t>(match.rm_eo - match.rm_so);
    if (length > kFilterFieldSize - 1)
        length = kFilterFieldSize - 1;
    std::memcpy(field, line + match.rm_so, length);
}

// strtol saturates, so an absurdly long cost still counts as too high.
bool CostAllowed(const char *cost)
{
    return std::strtol(cost, nullptr, 10) <= kMaxCost;
}

// The first space-separated word of the PPD's "cupsFilter" value, or an
// empty text when there is none. A word too long for the source type is
// refused rather than cut, so that it cannot turn into another type.
void ReadSourceType(ppd_file_t *ppd, char *sourceType)
{
    char value[kCupsFilterValueSize] = {0};
    ppd_attr_t *attr = ppdFindAttr_ALT(ppd, "cupsFilter", nullptr);
    if (attr != nullptr && attr->value != nullptr)
        std::snprintf(value, sizeof(value), "%s", attr->value);

    const char *word = value + std::strspn(value, " ");
    size_t length = std::strcspn(word, " ");
    if (length < kSourceTypeSize)
        std::memcpy(sourceType, word, length);
}

} // namespace

int BestFilter(const char *tablePath, const char *sourceType, const char *destinationType,
               char *filterName)
{
    StdioFile table(std::fopen(tablePath, "r"));
    if (!table)
        return 0;
    Regex regex(RegexPattern);
    if (!regex.ok())
        return 0;

    // Conversion lines are read in pieces of at most 127 characters; each
    // piece is matched by itself. Commented lines are matched like others.
    char line[kTableLineSize];
    char source[kFilterFieldSize], destination[kFilterFieldSize];
    char cost[kFilterFieldSize], program[kFilterFieldSize];
    while (std::fgets(line, sizeof(line), table.get()) != nullptr) {
        regmatch_t match[5];
        if (regexec(regex.get(), line, 5, match, 0) != 0)
            continue;
        CopyGroup(line, match[1], source);
        CopyGroup(line, match[2], destination);
        CopyGroup(line, match[3], cost);
        CopyGroup(line, match[4], program);
        if (std::strcmp(source, sourceType) == 0 &&
            std::strcmp(destination, destinationType) == 0 && CostAllowed(cost)) {
            std::memcpy(filterName, program, kFilterFieldSize);
            return 1;
        }
    }
    return 0;
}

void ChooseFilter(const char *sourceType, char *filterPath)
{
    if (sourceType[0] == '\0') {
        Utlfputs("get srcFormat error\n", stderr);
        return;
    }
    if (std::strlen(sourceType) == std::strlen(mimeTypeFormat))
        return;

    char filterName[kFilterFieldSize] = {0};
    for (const std::string &table : cupsDirectory()) {
        if (BestFilter(table.c_str(), sourceType, mimeTypeFormat, filterName) == 1) {
            std::snprintf(filterPath, kFilterPathSize, "%s%s", FilterDirectory().c_str(),
                          filterName);
            return;
        }
    }
    // No table names a program: the path stays empty, so the caller finds
    // nothing to run instead of taking the bare filter folder for one.
}

int PrepFormat(char *filterPath)
{
    PpdFile ppd = OpenJobPPD();
    if (!ppd) {
        std::fputs("ppdOpenFile return NULL\n", stderr);
        return -1;
    }
    char sourceType[kSourceTypeSize] = {0};
    ReadSourceType(ppd.get(), sourceType);
    ppd.reset();
    ChooseFilter(sourceType, filterPath);

    if (filterPath[0] == '\0' || access(filterPath, F_OK) != 0) {
        Utlfputs("access bestFilterPath error\n", stderr);
        return -1;
    }
    return 1;
}
