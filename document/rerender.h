// Draws the chosen pages of the spooled PDF into a new PDF.
#pragma once

#include "document/pdf_doc_info.h"

// 1 when a new PDF was written and its path stands in outPath (128 bytes).
int PreProcess(PDFDocInfoRecord *info, char *outPath);
