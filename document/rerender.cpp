#include "document/rerender.h"

#include "platform/page_raster.h"
#include "platform/pdf_document.h"
#include "platform/pdf_writer.h"

#include <cups/cups.h>
#include <unistd.h>

#include <cmath>
#include <climits>
#include <cstdint>
#include <memory>

namespace {

constexpr double kRasterResolution = 300.0;
constexpr double kPdfUnitsPerInch = 72.0;
constexpr double kPi = 3.141592653589793;
constexpr int kHalfTurn = 180;

struct BitmapReleaser {
    void operator()(PageBitmap *b) const { PageBitmapRelease(b); }
};
struct ImageReleaser {
    void operator()(PageImage *i) const { PageImageRelease(i); }
};

// Pixels across a length of the page at the raster resolution, truncated.
bool PixelSize(double points, int *pixels)
{
    double exact = points * kRasterResolution / kPdfUnitsPerInch;
    if (!(exact >= 0) || exact >= static_cast<double>(INT_MAX))
        return false;
    *pixels = static_cast<int>(exact);
    return true;
}

// The page numbers of the walk: 1, 1 + pageStep, ... up to lastPage.
// The next number is worked out wide, so a large step cannot wrap around.
int64_t NextPage(const PDFDocInfoRecord *info, int64_t page)
{
    return page + (info->pageStep > 0 ? info->pageStep : 1);
}

// The page and its box, with the dictionary of the new page made from
// them; false when the page does not exist or has no usable box.
bool ReadPage(PDFDocInfoRecord *info, int64_t number, PdfPage **page, PdfBox *box)
{
    *page = PdfDocumentGetPage(info->document, static_cast<int>(number));
    return *page != nullptr && PdfPageGetMediaBox(*page, box);
}

} // namespace

void setContextCTM(const PDFDocInfoRecord *info, DrawingContext *context, const PdfBox &box)
{
    int angle = ((info->rotation % 360) + 360) % 360;
    // A point (x, y) of the box lands at (2·x0 + W − x, 2·y0 + H − y): the
    // half turn keeps the page on its own media box, wherever that starts.
    double tx = 0, ty = 0;
    if (angle == kHalfTurn) {
        tx = 2 * box.x + box.width;
        ty = 2 * box.y + box.height;
    }
    ContextTranslateCTM(context, tx, ty);
    ContextRotateCTM(context, angle * kPi / 180);
}

int processPDF(PDFDocInfoRecord *info)
{
    PdfContext *context = info->pdfContext;
    if (info->lastPage <= 0)
        return 0;
    for (int64_t n = 1; n <= info->lastPage; n = NextPage(info, n)) {
        PdfPage *page = nullptr;
        PdfBox box;
        if (!ReadPage(info, n, &page, &box))
            return -1;
        PdfPageDictionary dictionary;
        if (!MakePageDictionary(box, PdfPageGetRotation(page), &dictionary))
            return -1;

        ContextSaveGState(context);
        if (!PdfContextBeginPage(context, dictionary))
            return -1;
        setContextCTM(info, context, box);
        if (!PdfContextDrawPDFPage(context, page))
            return -1;
        if (!PdfContextEndPage(context))
            return -1;
        ContextRestoreGState(context);
    }
    return 0;
}

int processImage(PDFDocInfoRecord *info)
{
    PdfContext *context = info->pdfContext;
    if (info->lastPage <= 0)
        return 0;
    std::unique_ptr<PageBitmap, BitmapReleaser> bitmap;
    const double scale = kRasterResolution / kPdfUnitsPerInch;
    for (int64_t n = 1; n <= info->lastPage; n = NextPage(info, n)) {
        PdfPage *page = nullptr;
        PdfBox box;
        if (!ReadPage(info, n, &page, &box))
            return -1;

        // Each page size gets a bitmap of its own size.
        int width = 0, height = 0;
        if (!PixelSize(box.width, &width) || !PixelSize(box.height, &height))
            return -1;
        if (!bitmap || bitmap->width != width || bitmap->height != height) {
            bitmap.reset();
            bitmap.reset(PageBitmapCreate(width, height));
            if (!bitmap)
                return -1;
        }
        ContextSaveGState(bitmap.get());
        PageBitmapFillWhite(bitmap.get());

        PdfPageDictionary dictionary;
        if (!MakePageDictionary(box, PdfPageGetRotation(page), &dictionary))
            return -1;
        ContextSaveGState(context);
        if (!PdfContextBeginPage(context, dictionary))
            return -1;

        // The bitmap covers the media box: the page is drawn relative to
        // the box's origin, turned about the box's centre.
        ContextScaleCTM(bitmap.get(), scale, scale);
        ContextTranslateCTM(bitmap.get(), -box.x, -box.y);
        setContextCTM(info, bitmap.get(), box);
        if (!PageBitmapDrawPDFPage(bitmap.get(), page))
            return -1;

        std::unique_ptr<PageImage, ImageReleaser> image(PageBitmapCreateImage(bitmap.get()));
        if (!image)
            return -1;
        // The page's pixels are encoded; let them go before the next page.
        PageBitmapFillWhite(bitmap.get());
        if (!PdfContextDrawImage(context, image.get(), box))
            return -1;
        if (!PdfContextEndPage(context))
            return -1;
        ContextRestoreGState(context);
        ContextRestoreGState(bitmap.get());
    }
    return 0;
}

int PreProcess(PDFDocInfoRecord *info, char *outPath)
{
    cups_file_t *handle = cupsTempFile2(outPath, 128);
    if (handle == nullptr)
        return 0;

    PdfFileURL url;
    if (!MakeFileURL(outPath, &url)) {
        cupsFileClose(handle);
        unlink(outPath);
        return 0;
    }
    info->pdfContext = PdfContextCreateWithURL(url);
    if (info->pdfContext == nullptr) {
        cupsFileClose(handle);
        unlink(outPath);
        return 0;
    }

    int drawn = info->rasterMode != 0 ? processImage(info) : processPDF(info);

    // The file is finished with the pages drawn so far; a file that could
    // not be written completely is not sent.
    int written = PdfContextClose(info->pdfContext);
    PdfContextRelease(info->pdfContext);
    info->pdfContext = nullptr;
    cupsFileClose(handle);

    if (drawn != 0 || written != 1) {
        unlink(outPath);
        return 0;
    }
    return 1;
}
