#include "options/text_convert.h"

#include "driver/output_channel.h"
#include "platform/text_codec.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Largest encoding of one unit that is appended: at most 5 bytes.
constexpr size_t kPieceMax = 5;

// Appends piece to the zero-terminated text in destination, keeping at most
// size - 1 bytes (as strlcat does); a piece that does not fit whole is cut.
void AppendBounded(char *destination, size_t size, const std::string &piece)
{
    size_t used = std::strlen(destination);
    if (used + 1 >= size)
        return;
    size_t room = size - 1 - used;
    size_t n = piece.size() < room ? piece.size() : room;
    std::memcpy(destination + used, piece.data(), n);
    destination[used + n] = '\0';
}

// Converts source unit by unit; a unit without an encoding adds nothing,
// so one unknown character does not lose the rest of the text.
void ConvertByUnit(const char *source, char *destination, int size, UnitCharset target)
{
    if (destination == nullptr || size <= 0)
        return;
    std::memset(destination, 0, static_cast<size_t>(size));
    if (source == nullptr)
        return;

    std::u16string units;
    if (!DecodeUTF8(source, units)) {
        Utlfputs("CFStringCreateWithCString fail\n", stderr);
        return;
    }
    std::string piece;
    for (char16_t unit : units) {
        // Backslash and tilde always go out as their ASCII bytes 0x5C and
        // 0x7E, whatever a Shift_JIS table would make of them.
        UnitCharset charset = target;
        if (unit == u'\\' || unit == u'~')
            charset = UnitCharset::UTF8;
        if (!EncodeUnit(unit, charset, piece) || piece.size() > kPieceMax)
            continue;
        AppendBounded(destination, static_cast<size_t>(size), piece);
    }
}

} // namespace

void ConvertUTF8ToEncoding(const char *source, char *destination, int size)
{
    ConvertByUnit(source, destination, size, UnitCharset::ShiftJISX0213);
}

void ConvertUTF8ToEncodingForUTF8(const char *source, char *destination, int size)
{
    ConvertByUnit(source, destination, size, UnitCharset::UTF8);
}
