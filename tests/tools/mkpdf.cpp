// Writes small PDFs for the tests, the demo and the benchmarks.
//
//   mkpdf OUT [--pages N] [--size W H] [--origin X Y] [--sizes WxH,WxH,...]
//             [--lines N] [--blob MB] [--image] [--rotate DEG] [--field TEXT]
//             [--field-unrendered TEXT]
//
// Each page shows "Page n" near its top left corner; --lines adds that many
// lines of filler text below it. --sizes gives each page its own media box
// (the list repeats when there are more pages than sizes). --blob adds an
// uncompressed stream of that many megabytes of random bytes, to make big
// files for the benchmarks. --image covers
// each page with a photo-like JPEG image at 300 dpi under the text.
// --rotate sets each page's /Rotate. --field puts a filled text field
// ("name") on page 1, 300 points right of and 200 below the top left
// corner, with an appearance that shows TEXT; --field-unrendered puts the
// same field without an appearance and asks viewers to make one.
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_DCT.hh>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct PageSize {
    double width;
    double height;
};

std::vector<PageSize> ParseSizes(const std::string &text)
{
    std::vector<PageSize> sizes;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        PageSize size{};
        if (std::sscanf(item.c_str(), "%lfx%lf", &size.width, &size.height) == 2)
            sizes.push_back(size);
    }
    return sizes;
}

// A photo-like picture: smooth colour fields, soft bands and grain, so that
// it compresses like a photograph rather than like flat colour.
std::string PhotoPixels(int width, int height)
{
    std::string pixels(static_cast<size_t>(width) * height * 3, '\0');
    unsigned seed = 12345;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            seed = seed * 1103515245u + 12345u;
            int grain = static_cast<int>((seed >> 16) % 17) - 8;
            double u = double(x) / width, v = double(y) / height;
            double band = 40 * std::sin(u * 23 + v * 7) + 25 * std::cos(v * 31 - u * 5);
            int rgb[3] = {int(200 * u + band) + grain, int(180 * v - band / 2) + grain,
                          int(120 + 100 * u * v + band) + grain};
            for (int c = 0; c < 3; c++)
                pixels[(static_cast<size_t>(y) * width + x) * 3 + c] =
                    static_cast<char>(rgb[c] < 0 ? 0 : rgb[c] > 255 ? 255 : rgb[c]);
        }
    }
    return pixels;
}

QPDFObjectHandle PhotoImage(QPDF &pdf, int width, int height)
{
    std::string pixels = PhotoPixels(width, height);
    Pl_Buffer jpeg("jpeg");
    Pl_DCT dct("dct", &jpeg, width, height, 3, JCS_RGB);
    dct.write(reinterpret_cast<unsigned char const *>(pixels.data()), pixels.size());
    dct.finish();
    QPDFObjectHandle image = QPDFObjectHandle::newStream(&pdf);
    image.replaceDict(QPDFObjectHandle::parse(
        "<< /Type /XObject /Subtype /Image /ColorSpace /DeviceRGB /BitsPerComponent 8 >>"));
    image.getDict().replaceKey("/Width", QPDFObjectHandle::newInteger(width));
    image.getDict().replaceKey("/Height", QPDFObjectHandle::newInteger(height));
    image.replaceStreamData(jpeg.getBufferSharedPointer(), QPDFObjectHandle::newName("/DCTDecode"),
                            QPDFObjectHandle::newNull());
    return image;
}

// A filled text field on the page; with an appearance stream when
// rendered, else left for the viewer to draw.
QPDFObjectHandle TextField(QPDF &pdf, QPDFObjectHandle font, QPDFObjectHandle page, double x,
                           double y, const std::string &text, bool rendered)
{
    QPDFObjectHandle field = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Annot /Subtype /Widget /FT /Tx /T (name) /F 4 /DA (/Helv 12 Tf 0 g) >>"));
    field.replaceKey("/V", QPDFObjectHandle::newUnicodeString(text));
    field.replaceKey("/Rect", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                                  QPDFObjectHandle::newReal(x, 3), QPDFObjectHandle::newReal(y, 3),
                                  QPDFObjectHandle::newReal(x + 200, 3),
                                  QPDFObjectHandle::newReal(y + 20, 3)}));
    field.replaceKey("/P", page);
    if (rendered) {
        QPDFObjectHandle appearance = QPDFObjectHandle::newStream(
            &pdf, "/Tx BMC BT /Helv 12 Tf 0 g 2 5 Td (" + text + ") Tj ET EMC\n");
        appearance.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
        appearance.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
        appearance.getDict().replaceKey("/BBox", QPDFObjectHandle::parse("[0 0 200 20]"));
        QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
        fonts.replaceKey("/Helv", font);
        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/Font", fonts);
        appearance.getDict().replaceKey("/Resources", resources);
        QPDFObjectHandle ap = QPDFObjectHandle::newDictionary();
        ap.replaceKey("/N", appearance);
        field.replaceKey("/AP", ap);
    }
    return field;
}

std::string PageContent(int number, double x0, double y0, const PageSize &size, int lines,
                        bool image)
{
    std::ostringstream out;
    if (image)
        out << "q " << size.width << " 0 0 " << size.height << " " << x0 << " " << y0
            << " cm /Im1 Do Q\n";
    out << "BT /F1 24 Tf " << x0 + 36 << " " << y0 + size.height - 60 << " Td (Page " << number
        << ") Tj ET\n";
    for (int i = 0; i < lines; i++) {
        double y = y0 + size.height - 90 - 11 * (i % 60);
        out << "BT /F1 9 Tf " << x0 + 36 << " " << y
            << " Td (Line " << i << " of the filler text on this page, set in Helvetica.) Tj ET\n";
    }
    return out.str();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: mkpdf OUT [--pages N] [--size W H] [--origin X Y] "
                             "[--sizes WxH,...] [--lines N] [--blob MB] [--image] [--rotate DEG] "
                             "[--field TEXT] [--field-unrendered TEXT]\n");
        return 2;
    }
    const char *out = argv[1];
    int pages = 1;
    int lines = 0;
    int blobMB = 0;
    int rotate = 0;
    bool image = false;
    std::string fieldText;
    bool fieldRendered = true;
    double x0 = 0, y0 = 0;
    std::vector<PageSize> sizes{{612, 792}};
    for (int i = 2; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--pages" && i + 1 < argc) {
            pages = std::atoi(argv[++i]);
        } else if (arg == "--blob" && i + 1 < argc) {
            blobMB = std::atoi(argv[++i]);
        } else if (arg == "--lines" && i + 1 < argc) {
            lines = std::atoi(argv[++i]);
        } else if (arg == "--size" && i + 2 < argc) {
            sizes = {{std::atof(argv[i + 1]), std::atof(argv[i + 2])}};
            i += 2;
        } else if (arg == "--origin" && i + 2 < argc) {
            x0 = std::atof(argv[i + 1]);
            y0 = std::atof(argv[i + 2]);
            i += 2;
        } else if (arg == "--image") {
            image = true;
        } else if (arg == "--rotate" && i + 1 < argc) {
            rotate = std::atoi(argv[++i]);
        } else if ((arg == "--field" || arg == "--field-unrendered") && i + 1 < argc) {
            fieldText = argv[++i];
            fieldRendered = arg == "--field";
        } else if (arg == "--sizes" && i + 1 < argc) {
            sizes = ParseSizes(argv[++i]);
        } else {
            std::fprintf(stderr, "mkpdf: unknown argument %s\n", arg.c_str());
            return 2;
        }
    }
    if (sizes.empty() || pages < 0)
        return 2;

    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle font = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
    QPDFPageDocumentHelper doc(pdf);
    QPDFObjectHandle fields = QPDFObjectHandle::newArray();
    for (int n = 1; n <= pages; n++) {
        const PageSize &size = sizes[(n - 1) % sizes.size()];
        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
        fonts.replaceKey("/F1", font);
        resources.replaceKey("/Font", fonts);
        if (image) {
            QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
            xobjects.replaceKey("/Im1", PhotoImage(pdf, static_cast<int>(size.width * 300 / 72),
                                                   static_cast<int>(size.height * 300 / 72)));
            resources.replaceKey("/XObject", xobjects);
        }
        QPDFObjectHandle page = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
        page.replaceKey("/MediaBox",
                        QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                            QPDFObjectHandle::newReal(x0, 3), QPDFObjectHandle::newReal(y0, 3),
                            QPDFObjectHandle::newReal(x0 + size.width, 3),
                            QPDFObjectHandle::newReal(y0 + size.height, 3)}));
        page.replaceKey("/Resources", resources);
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(
                                         &pdf, PageContent(n, x0, y0, size, lines, image)));
        if (rotate != 0)
            page.replaceKey("/Rotate", QPDFObjectHandle::newInteger(rotate));
        if (n == 1 && !fieldText.empty()) {
            QPDFObjectHandle field = TextField(pdf, font, page, x0 + 300,
                                               y0 + size.height - 200, fieldText, fieldRendered);
            page.replaceKey("/Annots", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{field}));
            fields.appendItem(field);
        }
        doc.addPage(QPDFPageObjectHelper(page), false);
    }
    if (fields.getArrayNItems() > 0) {
        QPDFObjectHandle form = QPDFObjectHandle::newDictionary();
        form.replaceKey("/Fields", fields);
        form.replaceKey("/DA", QPDFObjectHandle::newString("/Helv 12 Tf 0 g"));
        QPDFObjectHandle formFonts = QPDFObjectHandle::newDictionary();
        formFonts.replaceKey("/Helv", font);
        QPDFObjectHandle dr = QPDFObjectHandle::newDictionary();
        dr.replaceKey("/Font", formFonts);
        form.replaceKey("/DR", dr);
        if (!fieldRendered)
            form.replaceKey("/NeedAppearances", QPDFObjectHandle::newBool(true));
        pdf.getRoot().replaceKey("/AcroForm", form);
    }
    if (blobMB > 0) {
        std::string blob(static_cast<size_t>(blobMB) << 20, '\0');
        unsigned state = 12345;
        for (char &c : blob) {
            state = state * 1103515245u + 12345u;
            c = static_cast<char>(state >> 24);
        }
        pdf.getRoot().replaceKey("/QZFiller", QPDFObjectHandle::newStream(&pdf, blob));
    }
    QPDFWriter writer(pdf, out);
    writer.setStaticID(true);
    writer.setCompressStreams(blobMB == 0);
    writer.write();
    return 0;
}
