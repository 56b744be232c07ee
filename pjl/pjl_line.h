// The three PJL line forms that every header writer uses.
#pragma once

// Longest header line, its final LF included.
constexpr int kPJLLineMax = 254;

// kind "SET":  @PJL SET name=value
// kind "ATTR": @PJL SET JOBATTR="@name=value"
// any other kind writes nothing.
// Control bytes (0x00-0x1F, 0x7F) are dropped from name and value so that
// no option text can start a PJL command of its own; a value too long for
// the line is cut at its end, keeping its closing quote when it has one.
void MakePJLCommand(const char *kind, const char *name, const char *value);

// @PJL COMMENT text, with the same control-byte and length rules.
void PutPJLComment(const char *text);

// Builds the line that MakePJLCommand would write into out (at least
// kPJLLineMax + 1 bytes); returns its length, 0 for an unknown kind.
int FormatPJLCommand(char *out, const char *kind, const char *name, const char *value);
int FormatPJLComment(char *out, const char *text);
