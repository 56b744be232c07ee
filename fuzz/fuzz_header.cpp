// An option string and a job title through option gathering and the whole
// PJL header writer, on a UTF-8 printer and on another. Every header line
// must be at most 254 bytes and hold no control byte but its final LF
// (the job line also starts with the escape of the UEL).
#include "options/gathering.h"
#include "options/print_options.h"
#include "pjl/header.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string gUtf8Ppd;
std::string gPlainPpd;

void CheckHeader(const char *data, size_t size)
{
    size_t start = 0;
    for (size_t i = 0; i < size; i++) {
        unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == '\n') {
            if (i + 1 - start > 254)
                __builtin_trap();
            start = i + 1;
        } else if ((c < 0x20 || c == 0x7F) && !(c == 0x1B && i == 0)) {
            __builtin_trap();
        }
    }
    if (start != size)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    gUtf8Ppd = std::string(QZ_PPD_DIR) + "/orvex-vyx.ppd";
    gPlainPpd = std::string(QZ_FIXTURES_DIR) + "/plain.ppd";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    setenv("PPD", (data[0] & 1) ? gUtf8Ppd.c_str() : gPlainPpd.c_str(), 1);

    // Option string, then a zero byte, then the title.
    std::string rest(reinterpret_cast<const char *>(data) + 1, size - 1);
    size_t split = rest.find('\0');
    std::string options = rest.substr(0, split);
    std::string title = split == std::string::npos ? "" : rest.substr(split + 1);
    title = title.substr(0, title.find('\0'));

    std::string user = "fuzz", id = "1", copies = "2";
    char *argv[] = {const_cast<char *>("qzpdftopjl"), id.data(), user.data(), title.data(),
                    copies.data(), options.data(), nullptr};

    ClearPrintOptions(&printoptions);
    GetPrintOptions(argv, &printoptions);

    char *buffer = nullptr;
    size_t length = 0;
    FILE *memory = open_memstream(&buffer, &length);
    FILE *saved = stdout;
    stdout = memory;
    PutPJLCommand(argv, &printoptions, 1234);
    stdout = saved;
    fclose(memory);
    CheckHeader(buffer, length);
    free(buffer);
    return 0;
}
