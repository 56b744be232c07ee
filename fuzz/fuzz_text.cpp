// Slash-number decoding, name validation and text conversion on arbitrary
// bytes: none may read or write outside its buffers.
#include "options/name_validation.h"
#include "options/text_convert.h"
#include "options/ticket_tables.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte picks the destination size, so short and odd sizes
    // are exercised as well as the callers' own.
    int destinationSize = 1 + data[0] % 80;
    std::vector<char> text(reinterpret_cast<const char *>(data) + 1,
                           reinterpret_cast<const char *>(data) + size);
    text.push_back('\0');

    // Decoding works in place in a 1024-byte buffer at every call.
    char work[1024] = {0};
    std::memcpy(work, text.data(), std::min(text.size(), sizeof(work) - 1));
    numstrtochar(work, sizeof(work));

    ValidateDada(text.data(), &docuNameValidateDataScale);
    ValidateDada(text.data(), &docuNameValidateDataScaleForProduct03UTF8);
    ValidateDada(work, &docuNameValidateDataScaleForProduct03);

    std::vector<char> out(static_cast<size_t>(destinationSize));
    ConvertUTF8ToEncoding(text.data(), out.data(), destinationSize);
    if (out[static_cast<size_t>(destinationSize) - 1] != '\0')
        __builtin_trap();
    ConvertUTF8ToEncodingForUTF8(text.data(), out.data(), destinationSize);
    if (out[static_cast<size_t>(destinationSize) - 1] != '\0')
        __builtin_trap();
    return 0;
}
