#include "platform/pdf_objects.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFAnnotationObjectHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

// A rectangle array as a box with a positive size; false for anything else.
bool ReadBox(QPDFObjectHandle array, PdfBox *box)
{
    if (!array.isRectangle())
        return false;
    QPDFObjectHandle::Rectangle r = array.getArrayAsRectangle();
    double x0 = std::fmin(r.llx, r.urx), x1 = std::fmax(r.llx, r.urx);
    double y0 = std::fmin(r.lly, r.ury), y1 = std::fmax(r.lly, r.ury);
    if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1) ||
        x1 - x0 <= 0 || y1 - y0 <= 0)
        return false;
    *box = {x0, y0, x1 - x0, y1 - y0};
    return true;
}

// The part of the page that a viewer shows: the crop box within the media
// box, or the media box when there is no crop box or they do not overlap.
PdfBox VisibleBox(const PdfPage *page, const PdfBox &media)
{
    PdfBox crop;
    if (!ReadBox(page->helper.getAttribute("/CropBox", false), &crop))
        return media;
    double x0 = std::fmax(crop.x, media.x);
    double y0 = std::fmax(crop.y, media.y);
    double x1 = std::fmin(crop.x + crop.width, media.x + media.width);
    double y1 = std::fmin(crop.y + crop.height, media.y + media.height);
    if (x1 <= x0 || y1 <= y0)
        return media;
    return {x0, y0, x1 - x0, y1 - y0};
}

bool HasAnnotations(const PdfDocument &document)
{
    for (const PdfPage &page : document.pages) {
        QPDFObjectHandle annots = page.helper.getObjectHandle().getKey("/Annots");
        if (annots.isArray() && annots.getArrayNItems() > 0)
            return true;
    }
    return false;
}

// Form fields whose appearance the document asks to be regenerated get
// one. qpdf fills a generated text field's value in only when the stream is
// read through it, so the finished text is stored in the stream: copies into
// another document then show the value too.
void GenerateFieldAppearances(PdfDocument *document)
{
    QPDFAcroFormDocumentHelper forms(document->qpdf);
    if (!forms.getNeedAppearances())
        return;
    forms.generateAppearancesIfNeeded();
    for (const PdfPage &page : document->pages) {
        for (QPDFAnnotationObjectHelper &widget : forms.getWidgetAnnotationsForPage(page.helper)) {
            QPDFObjectHandle appearance = widget.getAppearanceStream("/N");
            if (!appearance.isStream())
                continue;
            std::shared_ptr<Buffer> data = appearance.getStreamData(qpdf_dl_generalized);
            appearance.replaceStreamData(
                std::string(reinterpret_cast<const char *>(data->getBuffer()), data->getSize()),
                QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
        }
    }
}

// Annotations meant for printing (filled form fields, stamps) become part
// of their page's content, as a viewer prints them; the others are left
// out. This changes only our copy of the document in memory.
void PrepareForDrawing(PdfDocument *document)
{
    if (document->preparedForDrawing)
        return;
    if (HasAnnotations(*document)) {
        GenerateFieldAppearances(document);
        QPDFPageDocumentHelper(document->qpdf).flattenAnnotations(an_print);
    }
    document->preparedForDrawing = true;
}

} // namespace

bool MakeFileURL(const char *path, PdfFileURL *url)
{
    if (path == nullptr || path[0] == '\0' || std::strlen(path) >= PATH_MAX)
        return false;
    url->path = path;
    return true;
}

PdfDocument *PdfDocumentCreateWithURL(const PdfFileURL &url)
{
    auto document = std::make_unique<PdfDocument>();
    try {
        document->qpdf.setSuppressWarnings(true);
        document->qpdf.processFile(url.path.c_str());
        for (const QPDFObjectHandle &page : document->qpdf.getAllPages())
            document->pages.push_back({document.get(), QPDFPageObjectHelper(page)});
    } catch (const std::exception &) {
        return nullptr;
    }
    return document.release();
}

void PdfDocumentRelease(PdfDocument *document)
{
    delete document;
}

int PdfDocumentGetNumberOfPages(const PdfDocument *document)
{
    if (document == nullptr)
        return 0;
    return static_cast<int>(document->pages.size());
}

PdfPage *PdfDocumentGetPage(PdfDocument *document, int number)
{
    if (document == nullptr || number < 1 ||
        static_cast<size_t>(number) > document->pages.size())
        return nullptr;
    return &document->pages[static_cast<size_t>(number) - 1];
}

bool PdfPageGetMediaBox(const PdfPage *page, PdfBox *box)
{
    try {
        return ReadBox(page->helper.getAttribute("/MediaBox", false), box);
    } catch (const std::exception &) {
        return false;
    }
}

int PdfPageGetRotation(const PdfPage *page)
{
    try {
        QPDFObjectHandle rotate = page->helper.getAttribute("/Rotate", false);
        if (!rotate.isInteger())
            return 0;
        long long degrees = rotate.getIntValue();
        if (degrees % 90 != 0)
            return 0;
        return static_cast<int>((degrees % 360 + 360) % 360);
    } catch (const std::exception &) {
        return 0;
    }
}

QPDFObjectHandle CopyPageAsForm(PdfPage *page, QPDF &target, UsedContentStreams *used)
{
    PdfDocument *document = page->document;
    PrepareForDrawing(document);

    PdfBox media;
    if (!PdfPageGetMediaBox(page, &media))
        throw std::runtime_error("page has no usable media box");
    QPDFObjectHandle pageObject = page->helper.getObjectHandle();
    QPDFObjectHandle contents = pageObject.getKey("/Contents");
    QPDFObjectHandle resources = page->helper.getAttribute("/Resources", false);
    if (!resources.isDictionary())
        resources = QPDFObjectHandle::newDictionary();
    QPDFObjectHandle group = pageObject.getKey("/Group");

    // A single content stream is carried over as it is, compressed data
    // and all; several streams are joined into one.
    QPDFObjectHandle form;
    if (contents.isStream() && used->insert({&document->qpdf, contents.getObjGen()}).second)
        form = target.copyForeignObject(contents);
    else if (contents.isStream() || contents.isArray())
        form = target.copyForeignObject(page->helper.getFormXObjectForPage(false));
    else
        form = target.newStream(std::string());

    // The resources travel in a holder of their own, since a page's
    // resource dictionary may be a direct object.
    QPDFObjectHandle holder = document->qpdf.makeIndirectObject(
        QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{resources, group}));
    QPDFObjectHandle copied = target.copyForeignObject(holder);

    QPDFObjectHandle dict = form.getDict();
    dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
    dict.replaceKey("/BBox", BoxArray(VisibleBox(page, media)));
    dict.replaceKey("/Resources", copied.getArrayItem(0));
    dict.removeKey("/Matrix");
    if (copied.getArrayItem(1).isDictionary())
        dict.replaceKey("/Group", copied.getArrayItem(1));
    return form;
}

std::string FormatPdfNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%.6f", value);
    std::string s = text;
    s.erase(s.find_last_not_of('0') + 1);
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    if (s == "-0")
        s = "0";
    return s;
}

std::string PlaceXObject(const PdfMatrix &m, const std::string &name)
{
    std::string s = "q ";
    for (double v : {m.a, m.b, m.c, m.d, m.e, m.f})
        s += FormatPdfNumber(v) + " ";
    return s + "cm /" + name + " Do Q\n";
}

QPDFObjectHandle BoxArray(const PdfBox &box)
{
    return QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
        QPDFObjectHandle::newReal(box.x, 6, true), QPDFObjectHandle::newReal(box.y, 6, true),
        QPDFObjectHandle::newReal(box.x + box.width, 6, true),
        QPDFObjectHandle::newReal(box.y + box.height, 6, true)});
}
