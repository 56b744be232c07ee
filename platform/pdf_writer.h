// Writing a new PDF page by page: pages of an opened document drawn as
// vectors through a transformation, and page images.
#pragma once

#include "platform/pdf_document.h"
#include "platform/pdf_geometry.h"

#include <memory>

struct PdfContextState;  // the document being built (pdf_writer.cpp)
struct PageImage;        // an encoded page bitmap (page_raster.h)

// A new PDF being written; its transformation applies to what is drawn.
struct PdfContext : DrawingContext {
    PdfContext();
    ~PdfContext();
    std::unique_ptr<PdfContextState> state;
};

// What a new page is made of: its media box and its turn for display.
struct PdfPageDictionary {
    PdfBox mediaBox;
    int rotate;
};

// False when mediaBox cannot be a page's box (a size that is not a
// positive finite number) or rotate is not a multiple of 90.
bool MakePageDictionary(const PdfBox &mediaBox, int rotate, PdfPageDictionary *dictionary);

// A new PDF that will be written to url's file, which is created (or
// emptied) now; null when it cannot be.
PdfContext *PdfContextCreateWithURL(const PdfFileURL &url);

// Starts a page; false when a page is already open.
bool PdfContextBeginPage(PdfContext *context, const PdfPageDictionary &dictionary);
// Draws page of an opened document through the context's transformation:
// its content and resources unchanged, clipped to the page's visible box,
// with the annotations meant for printing. False when the page cannot be
// read or no page is open.
bool PdfContextDrawPDFPage(PdfContext *context, PdfPage *page);
// Draws image scaled into rect (through the context's transformation).
bool PdfContextDrawImage(PdfContext *context, const PageImage *image, const PdfBox &rect);
// Finishes the open page; false when none is open.
bool PdfContextEndPage(PdfContext *context);

// Writes the file with the pages finished so far (a page still open is
// left out). 1 when the whole file was written, 0 when it was not.
int PdfContextClose(PdfContext *context);
void PdfContextRelease(PdfContext *context);
