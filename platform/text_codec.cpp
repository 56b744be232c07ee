#include "platform/text_codec.h"

#include <iconv.h>

#include <cerrno>

namespace {

// One iconv conversion descriptor, opened on first use and closed when
// the process ends.
class Converter {
public:
    Converter(const char *to, const char *from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // Converts the whole input, then flushes what the converter holds back
    // (Shift_JIS X0213 waits for a possible combining character), so every
    // call stands alone. False on invalid or incomplete input.
    bool Run(std::string_view in, std::string &out)
    {
        out.clear();
        if (!ok())
            return false;
        Reset();
        char *inPtr = const_cast<char *>(in.data());
        size_t inLeft = in.size();
        while (inLeft > 0) {
            if (!Step(&inPtr, &inLeft, out))
                return Fail(out);
        }
        if (!Step(nullptr, nullptr, out))
            return Fail(out);
        return true;
    }

private:
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

    bool Fail(std::string &out)
    {
        Reset();
        out.clear();
        return false;
    }

    // One iconv call into a local buffer; a full buffer is not an error.
    // With no input it writes out the converter's pending state.
    bool Step(char **inPtr, size_t *inLeft, std::string &out)
    {
        char buffer[256];
        char *outPtr = buffer;
        size_t outLeft = sizeof(buffer);
        size_t rc = iconv(cd_, inPtr, inLeft, &outPtr, &outLeft);
        int err = errno;
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc != static_cast<size_t>(-1))
            return true;
        if (err != E2BIG)
            return false;
        // The pending state did not fit: flush again into a fresh buffer.
        return inPtr != nullptr || Step(nullptr, nullptr, out);
    }

    iconv_t cd_;
};

Converter &FromUTF8() { static Converter c("UTF-16LE", "UTF-8"); return c; }
Converter &FromShiftJISX0213() { static Converter c("UTF-16LE", "SHIFT_JISX0213"); return c; }
Converter &ToUTF8() { static Converter c("UTF-8", "UTF-16LE"); return c; }
Converter &ToShiftJISX0213() { static Converter c("SHIFT_JISX0213", "UTF-16LE"); return c; }

bool Decode(Converter &converter, std::string_view text, std::u16string &units)
{
    units.clear();
    std::string bytes;
    if (!converter.Run(text, bytes))
        return false;
    units.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto low = static_cast<unsigned char>(bytes[i]);
        auto high = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(low | (high << 8)));
    }
    return true;
}

std::string Pack(std::u16string_view units)
{
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t unit : units) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

bool IsSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

} // namespace

bool DecodeUTF8(std::string_view text, std::u16string &units)
{
    return Decode(FromUTF8(), text, units);
}

bool DecodeShiftJISX0213(std::string_view text, std::u16string &units)
{
    return Decode(FromShiftJISX0213(), text, units);
}

bool EncodeUnit(char16_t unit, UnitCharset charset, std::string &bytes)
{
    bytes.clear();
    // A surrogate half stands for no character by itself.
    if (IsSurrogate(unit))
        return false;
    Converter &converter = charset == UnitCharset::UTF8 ? ToUTF8() : ToShiftJISX0213();
    return converter.Run(Pack(std::u16string_view(&unit, 1)), bytes);
}

bool EncodeUTF8(std::u16string_view units, std::string &text)
{
    return ToUTF8().Run(Pack(units), text);
}
