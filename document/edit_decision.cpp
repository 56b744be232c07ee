#include "document/edit_decision.h"

#include "driver/output_channel.h"
#include "platform/cups_handles.h"
#include "platform/pdf_document.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

PDFDocInfoRecord PDFDocInfo;

namespace {

const char kCopiesKey[] = "com.apple.print.PrintSettings.PMCopies..n.";
const char kTotalSidesKey[] = "com.apple.print.PrintSettings.PMTotalSidesImaged..n.";

const char *Option(const char *name, int count, cups_option_t *options)
{
    return cupsGetOption(name, count, options);
}

// The printer's own options carry the record's prefix ("QZInputSlot").
const char *PrefixedOption(const PDFDocInfoRecord *info, const char *name, int count,
                           cups_option_t *options)
{
    char full[64];
    std::snprintf(full, sizeof(full), "%s%s", info->optionPrefix, name);
    return Option(full, count, options);
}

bool Is(const char *value, const char *text)
{
    return value != nullptr && std::strcmp(value, text) == 0;
}

// A decimal integer as atoi reads it, held within the range of an int.
long long Integer(const char *text)
{
    long long value = std::strtoll(text, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return value;
}

int ClampToInt(long long value)
{
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(value);
}

void TurnHalf(PDFDocInfoRecord *info)
{
    info->rotation += 180;
}

} // namespace

int pdfDocInfo_init(const char *spoolPath, PDFDocInfoRecord *info)
{
    info->numPages = 0;
    info->lastPage = 0;
    info->pageStep = 1;
    info->rotation = 0;
    info->rasterMode = 0;

    PdfFileURL url;
    bool haveURL = false;
    if (spoolPath[0] != '\0') {
        if (!MakeFileURL(spoolPath, &url)) {
            Utlfputs("CFURLCreateFromFileSystemRepresentation error\n", stderr);
            return -1;
        }
        haveURL = true;
    }

    PdfDocument *previous = info->document;
    info->document = haveURL ? PdfDocumentCreateWithURL(url) : nullptr;
    PdfDocumentRelease(previous);
    if (info->document == nullptr) {
        Utlfputs("CGPDFDocumentCreateWithURL error\n", stderr);
        return -1;
    }

    info->numPages = PdfDocumentGetNumberOfPages(info->document);
    info->lastPage = info->numPages;
    std::snprintf(info->optionPrefix, sizeof(info->optionPrefix), "%s", "QZ");
    return 0;
}

void pdfDocInfo_release(PDFDocInfoRecord *info)
{
    PdfDocumentRelease(info->document);
    info->document = nullptr;
}

// Cuts the document down to one copy's worth when it already holds the
// copies that the printer will make from the copy count itself.
int checkNumPages(PDFDocInfoRecord *info, int count, cups_option_t *options, int chained)
{
    const char *copies = Option(kCopiesKey, count, options);
    if (copies == nullptr)
        return 0;
    long long c = Integer(copies);
    if (c < 2)
        return 0;

    long long n = info->numPages;
    long long total;
    if (const char *sides = Option(kTotalSidesKey, count, options))
        total = Integer(sides);
    else
        total = chained == 1 ? n / c : n * c;

    const char *pageSet = Option("page-set", count, options);
    if (Is(pageSet, "odd"))
        info->lastPage = ClampToInt(total / 2 + total % 2);
    else if (Is(pageSet, "even"))
        info->lastPage = ClampToInt(total / 2);

    if (n <= total / c)
        return 0;

    const char *collate = Option("Collate", count, options);
    if (collate == nullptr)
        return 1;
    if (Is(collate, "true")) {
        // Copies follow each other whole: send the first one.
        info->lastPage = ClampToInt(n / c);
        info->pageStep = 1;
    } else {
        // Each page repeated c times in a row: send every c-th page.
        info->lastPage = ClampToInt(n);
        info->pageStep = ClampToInt(c);
    }
    return 1;
}

// Reverse portrait, and the landscape request that the printer's
// landscape direction turns upside down.
int checkPageOrientation(PDFDocInfoRecord *info, int count, cups_option_t *options, ppd_file_t *ppd)
{
    const char *requested = Option("orientation-requested", count, options);
    if (requested == nullptr)
        return 0;
    if (Is(requested, "6")) {
        TurnHalf(info);
        return 1;
    }
    ppd_attr_t *landscape = ppdFindAttr(ppd, "LandscapeOrientation", nullptr);
    if (landscape == nullptr)
        return 0;
    const char *turning = Is(landscape->value, "Minus90") ? "4" : "5";
    if (!Is(requested, turning))
        return 0;
    TurnHalf(info);
    return 1;
}

// Paper fed from the bypass tray with its leading edge reversed.
int checkMSIOrientation(PDFDocInfoRecord *info, int count, cups_option_t *options)
{
    const char *slot = PrefixedOption(info, "InputSlot", count, options);
    const char *edge = PrefixedOption(info, "MSILeadingEdge", count, options);
    if (!Is(slot, "BypassTray") || !(Is(edge, "LongEdgeR") || Is(edge, "ShortEdgeR")))
        return 0;
    TurnHalf(info);
    return 1;
}

int checkTurnPage(PDFDocInfoRecord *info, int count, cups_option_t *options)
{
    if (!Is(PrefixedOption(info, "TurnPage", count, options), "true"))
        return 0;
    TurnHalf(info);
    return 1;
}

int checkRasterMode(PDFDocInfoRecord *info, int count, cups_option_t *options)
{
    if (!Is(PrefixedOption(info, "PDFRasterizedMode", count, options), "true"))
        return 0;
    info->rasterMode = 1;
    return 1;
}

int CheckIfNeedEdit(char **argv, PDFDocInfoRecord *info, int chained)
{
    CupsOptions options(argv[5]);
    if (options.count() <= 0)
        return -1;
    PpdFile ppd = OpenJobPPD();
    if (!ppd)
        return -1;

    // Every check runs, so that their effects on the record add up.
    int count = options.count();
    int edit = 0;
    edit |= checkNumPages(info, count, options.list(), chained);
    edit |= checkPageOrientation(info, count, options.list(), ppd.get());
    edit |= checkMSIOrientation(info, count, options.list());
    edit |= checkTurnPage(info, count, options.list());
    edit |= checkRasterMode(info, count, options.list());
    return edit != 0 ? 1 : 0;
}
