// Where the platform's PDF filter for page layout is found: the conversion
// tables to search, the type it must produce and the folder of filter
// programs. The build chooses the platform (QZ_PLATFORM_PROFILE).
#pragma once

#include <array>
#include <string>

// The type the chained filter must produce.
extern const char mimeTypeFormat[];

// The four conversion tables, in the order they are searched.
std::array<std::string, 4> cupsDirectory();

// The folder of filter programs, ending in "/".
std::string FilterDirectory();
