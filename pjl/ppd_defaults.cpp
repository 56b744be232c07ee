#include "pjl/ppd_defaults.h"

#include "platform/cups_handles.h"

#include <cstdio>

void SetDefaultFromPPD(char *field, size_t size, const char *keyword, const char *defaultText)
{
    if (field == nullptr || size == 0 || field[0] != '\0')
        return;
    PpdFile ppd = OpenJobPPD();
    if (!ppd)
        return;
    if (ppdFindOption(ppd.get(), keyword) != nullptr)
        std::snprintf(field, size, "%s", defaultText);
}
