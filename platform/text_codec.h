// A thin layer over glibc iconv for the text steps of the option code:
// UTF-8 into UTF-16 code units and back, and single UTF-16 units into
// Shift_JIS X0213 or UTF-8. The converters are opened once per process.
#pragma once

#include <string>
#include <string_view>

// Character sets that a single UTF-16 unit can be encoded into.
enum class UnitCharset { ShiftJISX0213, UTF8 };

// Decodes UTF-8 into UTF-16 code units. Returns false, with units empty,
// when the text is not valid UTF-8.
bool DecodeUTF8(std::string_view text, std::u16string &units);

// Decodes Shift_JIS X0213 into UTF-16 code units. Returns false, with units
// empty, when the bytes are not a complete, valid Shift_JIS X0213 text.
bool DecodeShiftJISX0213(std::string_view text, std::u16string &units);

// Encodes one UTF-16 unit by itself. Returns false, with bytes empty, when
// the unit has no encoding in the character set; a lone surrogate half
// never has one. Nothing is held back for a following unit.
bool EncodeUnit(char16_t unit, UnitCharset charset, std::string &bytes);

// Encodes UTF-16 units as UTF-8. Returns false, with text empty, when the
// units hold a lone surrogate half.
bool EncodeUTF8(std::u16string_view units, std::string &text);
