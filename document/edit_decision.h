// Opens the spooled PDF and decides whether its pages must be edited.
#pragma once

#include "document/pdf_doc_info.h"

// 0 when the document was opened, -1 when it is not a readable PDF.
int pdfDocInfo_init(const char *spoolPath, PDFDocInfoRecord *info);
// 1 when pages must be edited, 0 when not, -1 without options or PPD.
int CheckIfNeedEdit(char **argv, PDFDocInfoRecord *info, int chained);
// Releases the opened document, if any.
void pdfDocInfo_release(PDFDocInfoRecord *info);
