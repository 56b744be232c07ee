#include "document/chain_profile.h"

#include <cstdlib>

#if defined(QZ_PROFILE_MACOS)

const char mimeTypeFormat[] = "application/vnd.apple-pdf";

std::array<std::string, 4> cupsDirectory()
{
    return {"/usr/share/cups/mime/apple.convs", "/usr/share/cups/mime/mime.convs",
            "/etc/cups/apple.convs", "/etc/cups/mime.convs"};
}

std::string FilterDirectory()
{
    return "/usr/libexec/cups/filter/";
}

#elif defined(QZ_PROFILE_LINUX)

// cups-filters' pdftopdf turns application/pdf into this type.
const char mimeTypeFormat[] = "application/vnd.cups-pdf";

namespace {

// CUPS hands every filter its folders in the environment; a filter run by
// hand falls back to the Debian layout. An empty value counts as unset.
std::string CupsFolder(const char *name, const char *fallback)
{
    const char *value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : fallback;
}

} // namespace

std::array<std::string, 4> cupsDirectory()
{
    std::string data = CupsFolder("CUPS_DATADIR", "/usr/share/cups");
    std::string root = CupsFolder("CUPS_SERVERROOT", "/etc/cups");
    return {data + "/mime/cupsfilters.convs", data + "/mime/mime.convs",
            root + "/cupsfilters.convs", root + "/mime.convs"};
}

std::string FilterDirectory()
{
    return CupsFolder("CUPS_SERVERBIN", "/usr/lib/cups") + "/filter/";
}

#else
#error "QZ_PLATFORM_PROFILE must be linux or macos"
#endif
