// Conversion-table text through the table search: lines of any length and
// content must never be read or written past the field buffers, and a
// found program name always fits its field.
#include "document/filter_table.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
std::string gTable;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    const char *tmp = getenv("TMPDIR");
    gTable = std::string(tmp ? tmp : "/tmp") + "/fuzz_convs." + std::to_string(getpid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FILE *table = fopen(gTable.c_str(), "wb");
    if (table == nullptr)
        return 0;
    fwrite(data, 1, size, table);
    fclose(table);

    char name[kFilterFieldSize];
    std::memset(name, 0x55, sizeof(name));
    if (BestFilter(gTable.c_str(), "application/pdf", "application/vnd.cups-pdf", name) == 1 &&
        std::memchr(name, '\0', sizeof(name)) == nullptr)
        __builtin_trap();
    // A source type of the destination's own shape, and an unusual one.
    BestFilter(gTable.c_str(), "application/vnd.cups-pdf", "application/pdf", name);
    BestFilter(gTable.c_str(), "a/b", "c/d", name);
    unlink(gTable.c_str());
    return 0;
}
