// Choosing the platform PDF filter from the CUPS conversion tables.
#pragma once

// Size of the buffer that receives the chosen program's path, and of
// each field cut from a conversion line.
constexpr int kFilterPathSize = 64;
constexpr int kFilterFieldSize = 64;

// Splits a conversion line into source type, destination type, cost and
// program.
extern const char RegexPattern[];

// Finds the program that converts the PPD's own input type (the first
// word of its "cupsFilter" value) into the platform's PDF type. filterPath
// (kFilterPathSize bytes, zero-filled) receives its full path. 1 when that
// program exists, -1 when the PPD cannot be read or no program is found.
int PrepFormat(char *filterPath);

// Searches the conversion tables in order for sourceType and writes the
// folder of filter programs plus the matched program into filterPath.
// filterPath is left untouched when sourceType is empty, has the length of
// the destination type, or no table names a program.
void ChooseFilter(const char *sourceType, char *filterPath);

// Searches one table. On the first line that converts sourceType into
// destinationType at a cost of at most 999, copies its program name into
// filterName (kFilterFieldSize bytes) and returns 1; otherwise 0.
int BestFilter(const char *tablePath, const char *sourceType, const char *destinationType,
               char *filterName);
