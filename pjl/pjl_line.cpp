#include "pjl/pjl_line.h"

#include "driver/output_channel.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool IsControlByte(unsigned char c)
{
    return c < 0x20 || c == 0x7F;
}

std::string WithoutControlBytes(const char *text)
{
    std::string out;
    if (text == nullptr)
        return out;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; p++) {
        if (!IsControlByte(*p))
            out.push_back(static_cast<char>(*p));
    }
    return out;
}

// Cuts text to at most room bytes; a text in double quotes keeps both.
void FitQuoted(std::string &text, size_t room)
{
    if (text.size() <= room)
        return;
    bool quoted = text.size() >= 2 && text.front() == '"' && text.back() == '"';
    if (quoted && room >= 2) {
        text.resize(room - 1);
        text.push_back('"');
    } else {
        text.resize(room);
    }
}

// Joins prefix, body and suffix into out, cutting body so that the whole
// line stays within kPJLLineMax bytes.
int Assemble(char *out, const char *prefix, std::string name, const char *separator,
             std::string value, const char *suffix)
{
    size_t fixed = std::strlen(prefix) + std::strlen(separator) + std::strlen(suffix);
    size_t room = kPJLLineMax - fixed;
    if (name.size() > room)
        name.resize(room);
    room -= name.size();
    FitQuoted(value, room);

    std::memset(out, 0, kPJLLineMax + 1);
    int n = std::snprintf(out, kPJLLineMax + 1, "%s%s%s%s%s", prefix, name.c_str(), separator,
                          value.c_str(), suffix);
    return n < 0 ? 0 : n;
}

} // namespace

int FormatPJLCommand(char *out, const char *kind, const char *name, const char *value)
{
    if (std::strcmp(kind, "SET") == 0)
        return Assemble(out, "@PJL SET ", WithoutControlBytes(name), "=",
                        WithoutControlBytes(value), "\n");
    if (std::strcmp(kind, "ATTR") == 0)
        return Assemble(out, "@PJL SET JOBATTR=\"@", WithoutControlBytes(name), "=",
                        WithoutControlBytes(value), "\"\n");
    std::memset(out, 0, kPJLLineMax + 1);
    return 0;
}

int FormatPJLComment(char *out, const char *text)
{
    return Assemble(out, "@PJL COMMENT ", std::string(), "", WithoutControlBytes(text), "\n");
}

void MakePJLCommand(const char *kind, const char *name, const char *value)
{
    char line[kPJLLineMax + 1];
    if (FormatPJLCommand(line, kind, name, value) > 0)
        Utlfputs(line, stdout);
}

void PutPJLComment(const char *text)
{
    char line[kPJLLineMax + 1];
    if (FormatPJLComment(line, text) > 0)
        Utlfputs(line, stdout);
}
