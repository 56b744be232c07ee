#include "options/gathering.h"

#include "options/name_validation.h"
#include "options/ppd_lookup.h"
#include "options/text_convert.h"
#include "options/ticket_tables.h"
#include "platform/cups_handles.h"
#include "platform/text_codec.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

char StdDocumentName[256];
char PTStdDocumentName[256];

const char KPPDPrinterLanguageEncodingKey[] = "QZPrinterLanguageEncoding";
const char KPPDCharEncoding[] = "QZPrinterLanguageEncoding";

namespace {

// Bytes of the name buffers in use; the last byte always stays zero.
constexpr size_t kNameBytes = 255;
// Columns a document name may take on the printer's panel.
constexpr int kNameColumns = 32;

void ClearName(char *name)
{
    std::memset(name, 0, kNameBytes);
}

// Puts text into PTStdDocumentName; text is at most kNameBytes - 1 bytes.
void SetPTName(std::string_view text)
{
    ClearName(PTStdDocumentName);
    std::memcpy(PTStdDocumentName, text.data(), std::min(text.size(), kNameBytes - 1));
}

// Clears PTStdDocumentName when it has a character the table does not allow.
void ValidatePTName(const ValidateDataScale *table)
{
    if (!ValidateDada(PTStdDocumentName, table))
        ClearName(PTStdDocumentName);
}

// UTF-8 of the first count units; a surrogate half left at the cut is
// dropped rather than written as an invalid sequence. Empty when the units
// cannot be written as UTF-8.
std::string FirstUnitsAsUTF8(const std::u16string &units, size_t count)
{
    std::u16string_view head(units.data(), std::min(count, units.size()));
    if (!head.empty() && head.back() >= 0xD800 && head.back() <= 0xDBFF)
        head.remove_suffix(1);
    std::string text;
    if (!EncodeUTF8(head, text))
        return std::string();
    return text;
}

// A valid UTF-8 text cut at the last character boundary within maxBytes.
std::string_view CutUTF8(std::string_view text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        end--;
    return text.substr(0, end);
}

// Whether the PPD names UTF-8 as the printer's language. A PPD that cannot
// be read, or has no such attribute, does not.
bool PPDSaysUTF8()
{
    PpdFile ppd = OpenJobPPD();
    if (!ppd)
        return false;
    ppd_attr_t *attr = ppdFindAttr_ALT(ppd.get(), KPPDCharEncoding, nullptr);
    return attr != nullptr && attr->value != nullptr && std::strcmp(attr->value, "UTF-8") == 0;
}

// Text fields are copied within the field's width, the rest zero-filled.
template <size_t N>
void CopyText(char (&to)[N], const char (&from)[N])
{
    std::memset(to, 0, N);
    std::memcpy(to, from, strnlen(from, N - 1));
}

} // namespace

int DocumentNameColumnWidth(char16_t unit)
{
    return (unit & 0x1100) != 0 ? 2 : 1;
}

int DocumentNameUnitLimit(int productType)
{
    switch (productType) {
    case 3:
        return 64;
    case 2:
        return 12;
    default:
        return 32;
    }
}

void GetPPDOptions(PPDOptionRec *ppdOption)
{
    PpdFile ppd = OpenJobPPD();
    if (!ppd)
        return;
    ppd_attr_t *attr = ppdFindAttr_ALT(ppd.get(), KPPDPrinterLanguageEncodingKey, nullptr);
    if (attr != nullptr && attr->value != nullptr)
        std::snprintf(ppdOption->printerLanguageEncoding,
                      sizeof(ppdOption->printerLanguageEncoding), "%s", attr->value);
}

void InvalidateStdDocumentNameForProductType(char **argv, bool isUTF8Printer)
{
    // A name cut inside a two-byte character cannot be read back; it is
    // treated as no name at all.
    std::u16string units;
    if (!DecodeShiftJISX0213(StdDocumentName, units)) {
        ClearName(StdDocumentName);
        ClearName(PTStdDocumentName);
        return;
    }

    // Keep the units that fit 32 columns. The cut in StdDocumentName is at
    // a byte offset, as the printer counts one byte per column.
    int width = 0;
    size_t kept = units.size();
    for (size_t i = 0; i < units.size(); i++) {
        width += DocumentNameColumnWidth(units[i]);
        if (width == kNameColumns + 1) {
            StdDocumentName[kNameColumns - 1] = '\0';
            kept = i;
            break;
        }
        if (width == kNameColumns) {
            StdDocumentName[kNameColumns] = '\0';
            kept = i + 1;
            break;
        }
    }

    if (isUTF8Printer) {
        // A title that is not UTF-8 cannot be sent to a UTF-8 printer.
        const char *title = argv[3] != nullptr ? argv[3] : "";
        std::u16string titleUnits;
        if (!DecodeUTF8(title, titleUnits))
            ClearName(PTStdDocumentName);
        else if (width < kNameColumns)
            SetPTName(CutUTF8(title, kNameBytes - 1));
        else
            SetPTName(CutUTF8(FirstUnitsAsUTF8(titleUnits, kept), kNameBytes - 1));
    } else {
        ClearName(PTStdDocumentName);
        std::memcpy(PTStdDocumentName, StdDocumentName, kNameColumns);
    }

    ValidatePTName(&docuNameValidateDataScaleForProduct03);
}

void InvalidatePrintTypeDocumentNameForProductType(char **argv)
{
    int productType = -1;
    {
        CupsOptions options(argv[5]);
        if (!GetTicketInteger(kPrintTypeProductType, options.count(), options.list(),
                              &productType, sizeof(productType))) {
            ValidatePTName(&docuNameValidateDataScale);
            return;
        }
    }

    std::u16string units;
    if (!DecodeUTF8(PTStdDocumentName, units)) {
        ClearName(PTStdDocumentName);
        return;
    }
    size_t limit = static_cast<size_t>(DocumentNameUnitLimit(productType));
    if (units.size() > limit)
        SetPTName(CutUTF8(FirstUnitsAsUTF8(units, limit), kNameBytes - 1));

    if (productType == 3 || productType == 5)
        ValidatePTName(&docuNameValidateDataScaleForProduct03UTF8);
    else
        ValidatePTName(&docuNameValidateDataScale);
}

void PrintTypeGetTicketFromPDE(char **argv, PrintTypeOptionRec *block)
{
    if (PPDSaysUTF8())
        GetTicketFromArray(argv, PrintTypeticketDataForUTF8,
                           static_cast<int>(std::size(PrintTypeticketDataForUTF8)));
    else
        GetTicketFromArray(argv, PrintTypeticketData,
                           static_cast<int>(std::size(PrintTypeticketData)));

    const PrintTypeOptionRec &st = stPrintTypeOption;
    block->printType = st.printType;
    CopyText(block->userName, st.userName);
    CopyText(block->password, st.password);
    block->documentNameType = st.documentNameType;
    CopyText(block->documentName, st.documentName);
}

void JBAGetTicketFromPDE(char **argv, JBAOptionRec *block)
{
    if (PPDSaysUTF8()) {
        GetTicketFromArray(argv, JBAticketDataCommonForUTF8,
                           static_cast<int>(std::size(JBAticketDataCommonForUTF8)));
        GetTicketFromArray(argv, JBAticketDataAdminForUTF8,
                           static_cast<int>(std::size(JBAticketDataAdminForUTF8)));
    } else {
        GetTicketFromArray(argv, JBAticketDataCommon,
                           static_cast<int>(std::size(JBAticketDataCommon)));
        GetTicketFromArray(argv, JBAticketDataAdmin,
                           static_cast<int>(std::size(JBAticketDataAdmin)));
    }

    const JBAOptionRec &st = stJBAOption;
    CopyText(block->macHostName, st.macHostName);
    CopyText(block->ipAddress, st.ipAddress);
    block->manageType = st.manageType;
    CopyText(block->userID, st.userID);
    CopyText(block->userPassword, st.userPassword);
    block->adminUserIDListCtrl = st.adminUserIDListCtrl;
    CopyText(block->adminUserID, st.adminUserID);
    CopyText(block->adminUserPassword, st.adminUserPassword);
    block->adminUserInputRadio = st.adminUserInputRadio;
    CopyText(block->inputUserID, st.inputUserID);
    CopyText(block->inputUserPassword, st.inputUserPassword);
    CopyText(block->login, st.login);
    CopyText(block->printDate, st.printDate);
    CopyText(block->printTime, st.printTime);
    CopyText(block->hostName, st.hostName);
}

void FeaturesGetTicketFromPDE(char **argv, FeaturesOptionRec *block)
{
    GetTicketFromArray(argv, FeaturesticketData, static_cast<int>(std::size(FeaturesticketData)));

    const FeaturesOptionRec &st = stFeaturesOption;
    CopyText(block->numberUp, st.numberUp);
    CopyText(block->collate, st.collate);
    CopyText(block->media, st.media);
    CopyText(block->inputSlot, st.inputSlot);
    CopyText(block->mediaType, st.mediaType);
    CopyText(block->colorMode, st.colorMode);
    CopyText(block->outputMode, st.outputMode);
    CopyText(block->staple, st.staple);
    CopyText(block->punch, st.punch);
    block->duplexing = st.duplexing;
    CopyText(block->scaling, st.scaling);
    CopyText(block->pageBorder, st.pageBorder);
    CopyText(block->outputOrder, st.outputOrder);
    CopyText(block->scaleToFit, st.scaleToFit);
    CopyText(block->pageSet, st.pageSet);
    CopyText(block->mirror, st.mirror);
    CopyText(block->msiLeadingEdge, st.msiLeadingEdge);
    CopyText(block->trapping, st.trapping);
    CopyText(block->pageFormatOrientation, st.pageFormatOrientation);
    CopyText(block->printSettingsOrientation, st.printSettingsOrientation);
    CopyText(block->orientationRequested, st.orientationRequested);
}

void GetTicketFromPDE(char **argv, PrintOptions *options)
{
    PrintTypeGetTicketFromPDE(argv, &options->PrintTypeOption);
    JBAGetTicketFromPDE(argv, &options->JBAOption);
    FeaturesGetTicketFromPDE(argv, &options->FeaturesOption);
}

int GetPrintOptions(char **argv, PrintOptions *options)
{
    GetPPDOptions(&options->PPDOption);
    bool isUTF8Printer = std::strcmp(options->PPDOption.printerLanguageEncoding, "UTF-8") == 0;

    ClearName(StdDocumentName);
    ClearName(PTStdDocumentName);

    // A title that would break the PJL line gives no document name.
    const char *title = argv[3];
    if (title != nullptr && std::strpbrk(title, "\r\n") == nullptr) {
        ConvertUTF8ToEncoding(title, StdDocumentName, static_cast<int>(kNameBytes));
        InvalidateStdDocumentNameForProductType(argv, isUTF8Printer);
        if (isUTF8Printer)
            InvalidatePrintTypeDocumentNameForProductType(argv);
    }

    setvbuf(stderr, nullptr, _IONBF, 0);

    GetTicketFromPDE(argv, options);
    return 1;
}
