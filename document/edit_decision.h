// Opens the spooled PDF and decides whether its pages must be edited.
#pragma once

#include "document/pdf_doc_info.h"

#include <cups/cups.h>
#include <cups/ppd.h>

// 0 when the document was opened, -1 when it is not a readable PDF.
int pdfDocInfo_init(const char *spoolPath, PDFDocInfoRecord *info);
// 1 when pages must be edited, 0 when not, -1 without options or PPD.
int CheckIfNeedEdit(char **argv, PDFDocInfoRecord *info, int chained);
// Releases the opened document, if any.
void pdfDocInfo_release(PDFDocInfoRecord *info);

// The five checks, in the order CheckIfNeedEdit runs them. Each returns 1
// when it calls for an edit and writes its parameters into the record.
int checkNumPages(PDFDocInfoRecord *info, int count, cups_option_t *options, int chained);
int checkPageOrientation(PDFDocInfoRecord *info, int count, cups_option_t *options, ppd_file_t *ppd);
int checkMSIOrientation(PDFDocInfoRecord *info, int count, cups_option_t *options);
int checkTurnPage(PDFDocInfoRecord *info, int count, cups_option_t *options);
int checkRasterMode(PDFDocInfoRecord *info, int count, cups_option_t *options);
