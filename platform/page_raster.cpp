#include "platform/page_raster.h"

#include "platform/pdf_objects.h"

#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>
#include <poppler/cpp/poppler-image.h>
#include <poppler/cpp/poppler-page-renderer.h>
#include <poppler/cpp/poppler-page.h>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <climits>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <exception>
#include <mutex>
#include <vector>

struct PageBitmapPixels {
    poppler::image image;  // 8-bit blue, green, red per pixel
};

PageBitmap::PageBitmap() = default;
PageBitmap::~PageBitmap() = default;

namespace {

void IgnorePopplerMessage(const std::string &, void *) {}

// Poppler reports problems of a document on standard error; a damaged page
// shows in the result, and the filter's standard error is for its own lines.
// Every page needs bitmaps of tens of megabytes: they are kept in the heap
// for the next page, rather than given back to the system and faulted in
// again page after page.
void SetUpRenderer()
{
    static std::once_flag once;
    std::call_once(once, [] {
        poppler::set_debug_error_function(IgnorePopplerMessage, nullptr);
#ifdef __GLIBC__
        mallopt(M_MMAP_THRESHOLD, 512 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
#endif
    });
}

// Bytes of one row of the renderer's bitmap, which it keeps a multiple of 4.
long long RowBytes(int width)
{
    return (3LL * width + 3) / 4 * 4;
}

// A one-page PDF whose page is the bitmap: one unit per pixel, the source
// page drawn on it through the bitmap's transformation.
std::shared_ptr<Buffer> PageForRenderer(const PageBitmap *bitmap, PdfPage *page)
{
    QPDF one;
    one.setSuppressWarnings(true);
    one.emptyPDF();
    UsedContentStreams used;
    QPDFObjectHandle form = CopyPageAsForm(page, one, &used);

    QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
    xobjects.replaceKey("/P", form);
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/XObject", xobjects);
    QPDFObjectHandle sheet = one.makeIndirectObject(QPDFObjectHandle::newDictionary());
    sheet.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
    sheet.replaceKey("/MediaBox",
                     BoxArray({0, 0, static_cast<double>(bitmap->width),
                               static_cast<double>(bitmap->height)}));
    sheet.replaceKey("/Resources", resources);
    sheet.replaceKey("/Contents", QPDFObjectHandle::newStream(&one, PlaceXObject(bitmap->ctm, "P")));
    QPDFPageDocumentHelper(one).addPage(QPDFPageObjectHelper(sheet), false);

    QPDFWriter writer(one);
    writer.setOutputMemory();
    writer.setCompressStreams(false);
    writer.setDecodeLevel(qpdf_dl_none);
    writer.write();
    return writer.getBufferSharedPointer();
}

} // namespace

PageBitmap *PageBitmapCreate(int width, int height)
{
    if (width < 1 || height < 1 || RowBytes(width) > INT_MAX / height)
        return nullptr;
    SetUpRenderer();
    PageBitmap *bitmap = new PageBitmap;
    bitmap->width = width;
    bitmap->height = height;
    return bitmap;
}

void PageBitmapRelease(PageBitmap *bitmap)
{
    delete bitmap;
}

void PageBitmapFillWhite(PageBitmap *bitmap)
{
    bitmap->pixels.reset();
}

bool PageBitmapDrawPDFPage(PageBitmap *bitmap, PdfPage *page)
{
    if (page == nullptr)
        return false;
    std::shared_ptr<Buffer> pdf;
    try {
        pdf = PageForRenderer(bitmap, page);
    } catch (const std::exception &) {
        return false;
    }
    if (pdf->getSize() > static_cast<size_t>(INT_MAX))
        return false;

    // Drop the old pixels first, so that two bitmaps never coexist.
    bitmap->pixels.reset();
    std::unique_ptr<poppler::document> document(poppler::document::load_from_raw_data(
        reinterpret_cast<const char *>(pdf->getBuffer()), static_cast<int>(pdf->getSize())));
    if (!document)
        return false;
    std::unique_ptr<poppler::page> sheet(document->create_page(0));
    if (!sheet)
        return false;

    poppler::page_renderer renderer;
    renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
    renderer.set_paper_color(0xFFFFFFFF);
    renderer.set_image_format(poppler::image::format_bgr24);
    // At 72 dots per inch one unit of the sheet is one pixel.
    poppler::image image =
        renderer.render_page(sheet.get(), 72.0, 72.0, 0, 0, bitmap->width, bitmap->height);
    if (!image.is_valid() || image.width() != bitmap->width || image.height() != bitmap->height ||
        image.format() != poppler::image::format_bgr24)
        return false;
    bitmap->pixels = std::make_unique<PageBitmapPixels>(PageBitmapPixels{image});
    return true;
}

PageImage *PageBitmapCreateImage(const PageBitmap *bitmap)
{
    std::vector<unsigned char> white;
    RgbRows rows{nullptr, bitmap->width, bitmap->height, 0, true};
    try {
        if (bitmap->pixels) {
            const poppler::image &image = bitmap->pixels->image;
            rows.pixels = reinterpret_cast<const unsigned char *>(image.const_data());
            rows.stride = static_cast<size_t>(image.bytes_per_row());
        } else {
            white.assign(3 * static_cast<size_t>(bitmap->width), 0xFF);
            rows.pixels = white.data();
        }
        auto image = std::make_unique<PageImage>();
        if (!EncodeRgbImage(rows, &image->encoded))
            return nullptr;
        return image.release();
    } catch (const std::exception &) {
        return nullptr;
    }
}

void PageImageRelease(PageImage *image)
{
    delete image;
}

// gcc and clang tell an AddressSanitizer build in different ways.
#if defined(__SANITIZE_ADDRESS__)
#define QZ_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QZ_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(QZ_ADDRESS_SANITIZER)
// Fontconfig, which the renderer uses to find fonts, keeps its font cache
// for the life of the process on purpose; the leak checker of sanitizer
// builds is told so.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" const char *__lsan_default_options()
{
    return "print_suppressions=0";
}
#endif
