// Bytes as the spooled PDF through opening, the page edit decision and the
// re-render, in vector and raster mode. Nothing may crash, and a failed
// re-render must not leave its file behind.
#include "document/edit_decision.h"
#include "document/pdf_doc_info.h"
#include "document/rerender.h"
#include "platform/pdf_document.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string gTmp;
std::string gSpool;

// The first byte chooses the edits; every choice asks for a re-render.
const char *const kOptions[] = {
    "QZTurnPage=true",
    "QZPDFRasterizedMode=true",
    "QZPDFRasterizedMode=true orientation-requested=6",
    "com.apple.print.PrintSettings.PMCopies..n.=2 Collate=false QZTurnPage=true",
    ("com.apple.print.PrintSettings.PMCopies..n.=3 Collate=true "
     "com.apple.print.PrintSettings.PMTotalSidesImaged..n.=3 QZPDFRasterizedMode=true"),
    "QZInputSlot=BypassTray QZMSILeadingEdge=ShortEdgeR",
};

// Rendering a page of hundreds of square metres at 300 dpi is slow and
// takes gigabytes, which the fuzzer would report as a finding; such
// documents are still opened and drawn as vectors.
bool SmallEnoughToRaster(PdfDocument *document)
{
    int pages = PdfDocumentGetNumberOfPages(document);
    if (pages > 8)
        return false;
    for (int n = 1; n <= pages; n++) {
        PdfPage *page = PdfDocumentGetPage(document, n);
        PdfBox box;
        if (page != nullptr && PdfPageGetMediaBox(page, &box) &&
            box.width * box.height > 1500.0 * 1500.0)
            return false;
    }
    return true;
}

bool TmpIsEmpty()
{
    DIR *dir = opendir(gTmp.c_str());
    bool empty = true;
    while (dirent *e = readdir(dir)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0 &&
            gSpool != gTmp + "/" + e->d_name)
            empty = false;
    }
    closedir(dir);
    return empty;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    char pattern[] = "/tmp/fuzz_pdf.XXXXXX";
    gTmp = mkdtemp(pattern);
    gSpool = gTmp + "/spool.pdf";
    setenv("TMPDIR", gTmp.c_str(), 1);
    setenv("PPD", QZ_PPD_DIR "/orvex-vyx.ppd", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    FILE *spool = fopen(gSpool.c_str(), "wb");
    if (spool == nullptr)
        return 0;
    fwrite(data + 1, 1, size - 1, spool);
    fclose(spool);

    std::string options = kOptions[data[0] % (sizeof(kOptions) / sizeof(kOptions[0]))];
    std::string id = "1", user = "fuzz", title = "t", copies = "1";
    char *argv[] = {const_cast<char *>("qzpdftopjl"), id.data(), user.data(), title.data(),
                    copies.data(), options.data(), nullptr};

    std::memset(&PDFDocInfo, 0, sizeof(PDFDocInfo));
    pdfDocInfo_init(gSpool.c_str(), &PDFDocInfo);
    int chained = (data[0] >> 4) & 1;
    if (CheckIfNeedEdit(argv, &PDFDocInfo, chained) == 1) {
        if (PDFDocInfo.rasterMode && PDFDocInfo.document != nullptr &&
            !SmallEnoughToRaster(PDFDocInfo.document))
            PDFDocInfo.rasterMode = 0;
        char out[128] = {0};
        if (PreProcess(&PDFDocInfo, out) == 1)
            unlink(out);
        else if (!TmpIsEmpty())
            __builtin_trap();
    }
    pdfDocInfo_release(&PDFDocInfo);
    unlink(gSpool.c_str());
    return 0;
}
