// Draws the chosen pages of the spooled PDF into a new PDF.
#pragma once

#include "document/pdf_doc_info.h"
#include "platform/pdf_geometry.h"

// 1 when a new PDF was written and its path stands in outPath (128 bytes);
// 0 when not, and then no new file is left behind.
int PreProcess(PDFDocInfoRecord *info, char *outPath);

// Draw the chosen pages into info->pdfContext, as vectors or as 300 dpi
// images. 0 when every chosen page was drawn, -1 on the first failure.
int processPDF(PDFDocInfoRecord *info);
int processImage(PDFDocInfoRecord *info);

// Turns what is drawn next into context by the record's rotation; a half
// turn is made about the centre of box.
void setContextCTM(const PDFDocInfoRecord *info, DrawingContext *context, const PdfBox &box);
