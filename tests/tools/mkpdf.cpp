// Writes small PDFs for the tests, the demo and the benchmarks.
//
//   mkpdf OUT [--pages N] [--size W H] [--origin X Y] [--sizes WxH,WxH,...]
//             [--lines N] [--blob MB]
//
// Each page shows "Page n" near its top left corner; --lines adds that many
// lines of filler text below it. --sizes gives each page its own media box
// (the list repeats when there are more pages than sizes). --blob adds an
// uncompressed stream of that many megabytes of random bytes, to make big
// files for the benchmarks.
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

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

std::string PageContent(int number, double x0, double y0, const PageSize &size, int lines)
{
    std::ostringstream out;
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
                             "[--sizes WxH,...] [--lines N]\n");
        return 2;
    }
    const char *out = argv[1];
    int pages = 1;
    int lines = 0;
    int blobMB = 0;
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
    for (int n = 1; n <= pages; n++) {
        const PageSize &size = sizes[(n - 1) % sizes.size()];
        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
        fonts.replaceKey("/F1", font);
        resources.replaceKey("/Font", fonts);
        QPDFObjectHandle page = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
        page.replaceKey("/MediaBox",
                        QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                            QPDFObjectHandle::newReal(x0, 3), QPDFObjectHandle::newReal(y0, 3),
                            QPDFObjectHandle::newReal(x0 + size.width, 3),
                            QPDFObjectHandle::newReal(y0 + size.height, 3)}));
        page.replaceKey("/Resources", resources);
        page.replaceKey("/Contents",
                        QPDFObjectHandle::newStream(&pdf, PageContent(n, x0, y0, size, lines)));
        doc.addPage(QPDFPageObjectHelper(page), false);
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
