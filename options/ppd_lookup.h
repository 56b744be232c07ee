// Attribute lookup by name prefix in an opened PPD.
#pragma once

#include <cups/ppd.h>

// Returns the first attribute, in the PPD's own order, whose name begins
// with keyword; the spec argument is not looked at.
ppd_attr_t *ppdFindAttr_ALT(ppd_file_t *ppd, const char *keyword, const char *spec);
