// Reading PDF files: open a document, count its pages, measure a page.
// The pages themselves are drawn by the targets in pdf_writer.h and
// page_raster.h.
#pragma once

#include "platform/pdf_geometry.h"

#include <string>

struct PdfDocument;  // an opened PDF file
struct PdfPage;      // one page of an opened PDF, owned by its document

// The location of a file for the PDF calls.
struct PdfFileURL {
    std::string path;
};

// False when path cannot name a file (empty, or longer than the system
// allows for a path).
bool MakeFileURL(const char *path, PdfFileURL *url);

// Opens the PDF at url; null when the file is not a readable PDF (empty,
// truncated, not a PDF, or locked by a user password).
PdfDocument *PdfDocumentCreateWithURL(const PdfFileURL &url);
void PdfDocumentRelease(PdfDocument *document);

int PdfDocumentGetNumberOfPages(const PdfDocument *document);

// Page number (from 1) of document; null when there is no such page or no
// document.
PdfPage *PdfDocumentGetPage(PdfDocument *document, int number);

// The page's media box with a positive width and height; false when the
// page has none that can be used.
bool PdfPageGetMediaBox(const PdfPage *page, PdfBox *box);

// The page's turn for display, in degrees: 0, 90, 180 or 270.
int PdfPageGetRotation(const PdfPage *page);
