#include "platform/pdf_writer.h"

#include "platform/page_raster.h"
#include "platform/pdf_objects.h"

#include <cups/cups.h>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <exception>
#include <stdexcept>

namespace {

// Page images wait in an unnamed temporary file until the PDF is written,
// so memory does not grow with the number of pages.
class SpilledData : public QPDFObjectHandle::StreamDataProvider {
public:
    SpilledData(int fd, off_t offset, size_t length) : fd_(fd), offset_(offset), length_(length) {}

    void provideStreamData(QPDFObjGen const &, Pipeline *pipeline) override
    {
        unsigned char buffer[65536];
        size_t done = 0;
        while (done < length_) {
            size_t want = std::min(sizeof(buffer), length_ - done);
            ssize_t n = pread(fd_, buffer, want, offset_ + static_cast<off_t>(done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw std::runtime_error("cannot read a page image back");
            pipeline->write(buffer, static_cast<size_t>(n));
            done += static_cast<size_t>(n);
        }
        pipeline->finish();
    }

private:
    int fd_;
    off_t offset_;
    size_t length_;
};

bool WriteAll(int fd, const unsigned char *data, size_t length)
{
    while (length > 0) {
        ssize_t n = write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

struct PdfContextState {
    ~PdfContextState()
    {
        if (file != nullptr)
            fclose(file);
        if (spill >= 0)
            close(spill);
    }

    FILE *file = nullptr;
    std::string path;
    int spill = -1;
    off_t spillSize = 0;
    QPDF out;
    std::string version = "1.3";
    UsedContentStreams used;
    bool pageOpen = false;
    QPDFObjectHandle page;
    QPDFObjectHandle xobjects;
    std::string content;
    int names = 0;
};

PdfContext::PdfContext() = default;
PdfContext::~PdfContext() = default;

namespace {

// Appends bytes to the spill file, made on first use; their offset goes
// to offset.
bool Spill(PdfContextState *state, const std::vector<std::vector<unsigned char>> &pieces,
           off_t *offset)
{
    if (state->spill < 0) {
        char name[1024];
        state->spill = cupsTempFd(name, sizeof(name));
        if (state->spill < 0)
            return false;
        unlink(name);
    }
    *offset = state->spillSize;
    for (const std::vector<unsigned char> &piece : pieces) {
        if (!WriteAll(state->spill, piece.data(), piece.size()))
            return false;
        state->spillSize += static_cast<off_t>(piece.size());
    }
    return true;
}

std::string NextName(PdfContextState *state, const char *prefix)
{
    return std::string(prefix) + std::to_string(++state->names);
}

QPDFObjectHandle ImageStream(PdfContextState *state, const EncodedImage &image, off_t offset)
{
    QPDFObjectHandle stream = QPDFObjectHandle::newStream(&state->out);
    QPDFObjectHandle dict = stream.getDict();
    dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
    dict.replaceKey("/Width", QPDFObjectHandle::newInteger(image.width));
    dict.replaceKey("/Height", QPDFObjectHandle::newInteger(image.height));
    dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
    QPDFObjectHandle parms = QPDFObjectHandle::newNull();
    if (image.palette.empty()) {
        dict.replaceKey("/ColorSpace", QPDFObjectHandle::newName("/DeviceRGB"));
        parms = QPDFObjectHandle::parse("<< /Predictor 15 /Colors 3 /BitsPerComponent 8 >>");
        parms.replaceKey("/Columns", QPDFObjectHandle::newInteger(image.width));
    } else {
        int highest = static_cast<int>(image.palette.size() / 3) - 1;
        dict.replaceKey("/ColorSpace",
                        QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                            QPDFObjectHandle::newName("/Indexed"),
                            QPDFObjectHandle::newName("/DeviceRGB"),
                            QPDFObjectHandle::newInteger(highest),
                            QPDFObjectHandle::newString(image.palette)}));
    }
    stream.replaceStreamData(std::make_shared<SpilledData>(state->spill, offset, EncodedSize(image)),
                             QPDFObjectHandle::newName("/FlateDecode"), parms);
    return stream;
}

} // namespace

bool MakePageDictionary(const PdfBox &mediaBox, int rotate, PdfPageDictionary *dictionary)
{
    if (!std::isfinite(mediaBox.x) || !std::isfinite(mediaBox.y) ||
        !std::isfinite(mediaBox.width) || !std::isfinite(mediaBox.height) ||
        !(mediaBox.width > 0) || !(mediaBox.height > 0) || rotate % 90 != 0)
        return false;
    dictionary->mediaBox = mediaBox;
    dictionary->rotate = (rotate % 360 + 360) % 360;
    return true;
}

PdfContext *PdfContextCreateWithURL(const PdfFileURL &url)
{
    auto context = std::make_unique<PdfContext>();
    context->state = std::make_unique<PdfContextState>();
    PdfContextState *state = context->state.get();
    state->path = url.path;
    state->file = fopen(url.path.c_str(), "wb");
    if (state->file == nullptr)
        return nullptr;
    try {
        state->out.setSuppressWarnings(true);
        state->out.emptyPDF();
    } catch (const std::exception &) {
        return nullptr;
    }
    return context.release();
}

bool PdfContextBeginPage(PdfContext *context, const PdfPageDictionary &dictionary)
{
    PdfContextState *state = context->state.get();
    if (state->pageOpen)
        return false;
    try {
        state->page = state->out.makeIndirectObject(QPDFObjectHandle::newDictionary());
        state->page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
        state->page.replaceKey("/MediaBox", BoxArray(dictionary.mediaBox));
        if (dictionary.rotate != 0)
            state->page.replaceKey("/Rotate", QPDFObjectHandle::newInteger(dictionary.rotate));
        state->xobjects = QPDFObjectHandle::newDictionary();
        state->content.clear();
    } catch (const std::exception &) {
        return false;
    }
    state->pageOpen = true;
    return true;
}

bool PdfContextDrawPDFPage(PdfContext *context, PdfPage *page)
{
    PdfContextState *state = context->state.get();
    if (!state->pageOpen || page == nullptr)
        return false;
    try {
        QPDFObjectHandle form = CopyPageAsForm(page, state->out, &state->used);
        std::string name = NextName(state, "Fx");
        state->xobjects.replaceKey("/" + name, form);
        state->content += PlaceXObject(context->ctm, name);
        std::string version = page->document->qpdf.getPDFVersion();
        if (version > state->version)
            state->version = version;
    } catch (const std::exception &) {
        return false;
    }
    return true;
}

bool PdfContextDrawImage(PdfContext *context, const PageImage *image, const PdfBox &rect)
{
    PdfContextState *state = context->state.get();
    if (!state->pageOpen || image == nullptr)
        return false;
    try {
        off_t offset = 0;
        if (!Spill(state, image->encoded.stream, &offset))
            return false;
        std::string name = NextName(state, "Im");
        state->xobjects.replaceKey("/" + name, ImageStream(state, image->encoded, offset));
        PdfMatrix place;
        place.a = rect.width;
        place.d = rect.height;
        place.e = rect.x;
        place.f = rect.y;
        state->content += PlaceXObject(ConcatMatrix(place, context->ctm), name);
    } catch (const std::exception &) {
        return false;
    }
    return true;
}

bool PdfContextEndPage(PdfContext *context)
{
    PdfContextState *state = context->state.get();
    if (!state->pageOpen)
        return false;
    state->pageOpen = false;
    try {
        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        if (!state->xobjects.getKeys().empty())
            resources.replaceKey("/XObject", state->xobjects);
        state->page.replaceKey("/Resources", resources);
        state->page.replaceKey("/Contents",
                               QPDFObjectHandle::newStream(&state->out, state->content));
        QPDFPageDocumentHelper(state->out).addPage(QPDFPageObjectHelper(state->page), false);
    } catch (const std::exception &) {
        return false;
    }
    return true;
}

int PdfContextClose(PdfContext *context)
{
    PdfContextState *state = context->state.get();
    if (state->file == nullptr)
        return 0;
    state->pageOpen = false;
    bool ok = true;
    try {
        QPDFWriter writer(state->out);
        writer.setOutputFile(state->path.c_str(), state->file, false);
        // Data already compressed (page content carried over, page images)
        // is written as it is; only new, uncompressed streams get Flate.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setMinimumPDFVersion(state->version);
        writer.write();
    } catch (const std::exception &) {
        ok = false;
    }
    if (fflush(state->file) != 0 || ferror(state->file))
        ok = false;
    if (fclose(state->file) != 0)
        ok = false;
    state->file = nullptr;
    return ok ? 1 : 0;
}

void PdfContextRelease(PdfContext *context)
{
    delete context;
}
