#include "options/name_validation.h"

namespace {

// Printable ASCII and half-width katakana as single bytes; the lead-byte
// areas of two-byte Shift_JIS characters as units.
constexpr ValidateDataScale kShiftJISTable = {
    2,
    {{0x20, 0x7E}, {0xA1, 0xDF}},
    4,
    {{0x8140, 0x9F7E}, {0x8180, 0x9FFC}, {0xE040, 0xFC7E}, {0xE080, 0xFCFC}},
};

} // namespace

const ValidateDataScale docuNameValidateDataScale = kShiftJISTable;
const ValidateDataScale docuNameValidateDataScaleForProduct03 = kShiftJISTable;
const ValidateDataScale docuNameValidateDataScaleForProduct03UTF8 = {
    1,
    {{0x20, 0xFF}},
    1,
    {{0x0020, 0xFFFF}},
};

int ISWordValid(const char *position, int wordRangeCount, const ValidateRange *wordRanges)
{
    if (wordRangeCount <= 0)
        return 0;
    auto first = static_cast<unsigned char>(position[0]);
    // The second byte may be the terminating zero; nothing past it is read.
    auto second = first != 0 ? static_cast<unsigned char>(position[1]) : 0;
    int unit = first * 256 + second;
    int count = wordRangeCount < 10 ? wordRangeCount : 10;
    for (int i = 0; i < count; i++) {
        if (wordRanges[i].low <= unit && unit <= wordRanges[i].high)
            return 1;
    }
    return 0;
}

int ValidateDada(const char *text, const ValidateDataScale *table)
{
    const char *p = text;
    int byteCount = table->byteRangeCount < 10 ? table->byteRangeCount : 10;
    while (*p != '\0') {
        if (ISWordValid(p, table->wordRangeCount, table->wordRanges)) {
            // A unit whose second byte is the terminating zero ends the text.
            if (p[1] == '\0')
                return 1;
            p += 2;
            continue;
        }
        if (byteCount <= 0)
            return 0;
        auto byte = static_cast<unsigned char>(*p);
        bool allowed = false;
        for (int i = 0; i < byteCount; i++) {
            if (table->byteRanges[i].low <= byte && byte <= table->byteRanges[i].high) {
                allowed = true;
                break;
            }
        }
        if (!allowed)
            return 0;
        p++;
    }
    return 1;
}
