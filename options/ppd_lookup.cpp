#include "options/ppd_lookup.h"

#include <cstring>

ppd_attr_t *ppdFindAttr_ALT(ppd_file_t *ppd, const char *keyword, const char *spec)
{
    (void)spec;
    if (ppd == nullptr || keyword == nullptr || ppd->num_attrs <= 0 || ppd->attrs == nullptr)
        return nullptr;
    size_t n = std::strlen(keyword);
    for (int i = 0; i < ppd->num_attrs; i++) {
        ppd_attr_t *attr = ppd->attrs[i];
        if (attr != nullptr && std::strncmp(attr->name, keyword, n) == 0)
            return attr;
    }
    return nullptr;
}
