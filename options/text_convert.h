// Conversion of UTF-8 text into the printer's character set, one UTF-16
// unit at a time, cut at the destination's size.
#pragma once

// Into Shift_JIS X0213; backslash and tilde stay 0x5C and 0x7E.
void ConvertUTF8ToEncoding(const char *source, char *destination, int size);
// Into UTF-8 again, unit by unit.
void ConvertUTF8ToEncodingForUTF8(const char *source, char *destination, int size);
