// Rasterising pages: an off-screen RGB bitmap that a page is drawn into,
// antialiased, on white paper, and the encoded image taken of it.
#pragma once

#include "platform/image_encode.h"
#include "platform/pdf_document.h"
#include "platform/pdf_geometry.h"

#include <memory>

struct PageBitmapPixels;  // the rendered pixels (page_raster.cpp)

// A bitmap of width × height pixels. Its coordinates start at the bottom
// left corner with one unit per pixel; its transformation applies to what
// is drawn into it.
struct PageBitmap : DrawingContext {
    PageBitmap();
    ~PageBitmap();
    int width = 0;
    int height = 0;
    std::unique_ptr<PageBitmapPixels> pixels;  // none: all white
};

struct PageImage {
    EncodedImage encoded;
};

// A white bitmap; null when the size is not positive or is too large for
// the renderer to allocate.
PageBitmap *PageBitmapCreate(int width, int height);
void PageBitmapRelease(PageBitmap *bitmap);

// Paints the whole bitmap white.
void PageBitmapFillWhite(PageBitmap *bitmap);

// Renders page into the bitmap through its transformation, onto white
// paper (what was drawn before is painted over). False when the page
// cannot be read or the pixels cannot be allocated.
bool PageBitmapDrawPDFPage(PageBitmap *bitmap, PdfPage *page);

// The bitmap's pixels, encoded for a PDF image; null when that fails.
PageImage *PageBitmapCreateImage(const PageBitmap *bitmap);
void PageImageRelease(PageImage *image);
