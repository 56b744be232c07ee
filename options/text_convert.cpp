#include "options/text_convert.h"

#include <cstring>

// Placeholder until the character-set layer exists: copies the bytes,
// cut at the destination's size.
void ConvertUTF8ToEncoding(const char *source, char *destination, int size)
{
    std::memset(destination, 0, static_cast<size_t>(size));
    std::strncpy(destination, source, static_cast<size_t>(size - 1));
}

void ConvertUTF8ToEncodingForUTF8(const char *source, char *destination, int size)
{
    ConvertUTF8ToEncoding(source, destination, size);
}
