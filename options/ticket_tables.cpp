#include "options/ticket_tables.h"

#include "options/text_convert.h"
#include "platform/cups_handles.h"

#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

const char kPrintTypeProductType[] = "com.orvex.vyx.printsettings.PrintTypeProductTypeTicketKey";
const char kLayoutRowsKey[] = "com.apple.print.PrintSettings.PMLayoutRows..n.";
const char kLayoutColumnsKey[] = "com.apple.print.PrintSettings.PMLayoutColumns..n.";

namespace {

// Size of the buffer an option value is decoded in.
constexpr int kWorkSize = 1024;

// Decimal value with the reading rules of atoi (leading blanks, a sign,
// digits up to the first other byte, 0 without digits), but saturating
// instead of overflowing.
long long DecimalValue(const char *text)
{
    return std::strtoll(text, nullptr, 10);
}

int ClampToInt(long long value)
{
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// Looks the key up and leaves its decoded value in work (kWorkSize bytes).
// Returns false when the key is absent.
bool ReadDecodedValue(const char *key, int numOptions, cups_option_t *options, char *work)
{
    const char *text = cupsGetOption(key, numOptions, options);
    if (text == nullptr)
        return false;
    std::memset(work, 0, kWorkSize);
    std::snprintf(work, kWorkSize, "%s", text);
    numstrtochar(work, kWorkSize);
    return true;
}

} // namespace

#define ROW(key, block, field, getter) \
    {key, &block.field, static_cast<int>(sizeof(block.field)), getter}

#define PT_KEY(name) "com.orvex.vyx.printsettings." name

const TicketData PrintTypeticketData[5] = {
    ROW(PT_KEY("PrintTypeTicketKey"), stPrintTypeOption, printType, GetTicketInteger),
    ROW(PT_KEY("PrintTypeUserNameTicketKey"), stPrintTypeOption, userName,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("PrintTypePasswordTicketKey"), stPrintTypeOption, password,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("DocumentNameTypeTicketKey"), stPrintTypeOption, documentNameType,
        GetTicketInteger),
    ROW(PT_KEY("DocumentNameTicketKey"), stPrintTypeOption, documentName,
        GetTicketStringConvertedToPrtLang),
};

const TicketData PrintTypeticketDataForUTF8[5] = {
    ROW(PT_KEY("PrintTypeTicketKey"), stPrintTypeOption, printType, GetTicketInteger),
    ROW(PT_KEY("PrintTypeUserNameTicketKey"), stPrintTypeOption, userName,
        GetTicketStringConvertedToPrtLangForUTF8),
    ROW(PT_KEY("PrintTypePasswordTicketKey"), stPrintTypeOption, password,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("DocumentNameTypeTicketKey"), stPrintTypeOption, documentNameType,
        GetTicketInteger),
    ROW(PT_KEY("DocumentNameTicketKey"), stPrintTypeOption, documentName,
        GetTicketStringConvertedToPrtLangForUTF8),
};

const TicketData JBAticketDataCommon[11] = {
    ROW(PT_KEY("JBAMacHostNameStringTicket"), stJBAOption, macHostName,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("JBAIPAddressStringTicket"), stJBAOption, ipAddress,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("JBAManageTypeListTicketKey"), stJBAOption, manageType, GetTicketInteger),
    ROW(PT_KEY("JBAUserIDTextEditTicket"), stJBAOption, userID,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("JBAUserPasswordTextEditTicket"), stJBAOption, userPassword,
        GetTicketPasswordStringConvertedToEncryption),
    ROW(PT_KEY("JBAInputUserIDTextEditTicket"), stJBAOption, inputUserID,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("JBAInputUserPasswordTextEditTicket"), stJBAOption, inputUserPassword,
        GetTicketPasswordStringConvertedToEncryption),
    ROW(PT_KEY("JBALoginTextEditTicket"), stJBAOption, login,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("JBAHkgnPrintDateTicketKey"), stJBAOption, printDate,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("JBAHkgnPrintTimeTicketKey"), stJBAOption, printTime,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("JBAHostNameStringTicket"), stJBAOption, hostName,
        GetTicketStringConvertedToPrtLang),
};

const TicketData JBAticketDataCommonForUTF8[11] = {
    ROW(PT_KEY("JBAMacHostNameStringTicket"), stJBAOption, macHostName,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("JBAIPAddressStringTicket"), stJBAOption, ipAddress,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("JBAManageTypeListTicketKey"), stJBAOption, manageType, GetTicketInteger),
    ROW(PT_KEY("JBAUserIDTextEditTicket"), stJBAOption, userID,
        GetTicketStringConvertedToPrtLangForUTF8),
    ROW(PT_KEY("JBAUserPasswordTextEditTicket"), stJBAOption, userPassword,
        GetTicketPasswordStringConvertedToEncryption),
    ROW(PT_KEY("JBAInputUserIDTextEditTicket"), stJBAOption, inputUserID,
        GetTicketStringConvertedToPrtLangForUTF8),
    ROW(PT_KEY("JBAInputUserPasswordTextEditTicket"), stJBAOption, inputUserPassword,
        GetTicketPasswordStringConvertedToEncryption),
    ROW(PT_KEY("JBALoginTextEditTicket"), stJBAOption, login,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("JBAHkgnPrintDateTicketKey"), stJBAOption, printDate,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("JBAHkgnPrintTimeTicketKey"), stJBAOption, printTime,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("JBAHostNameStringTicket"), stJBAOption, hostName,
        GetTicketStringConvertedToPrtLang),
};

const TicketData JBAticketDataAdmin[4] = {
    ROW(PT_KEY("JBAUserIDListCtrlTicket"), stJBAOption, adminUserIDListCtrl, GetTicketInteger),
    ROW(PT_KEY("JBAAdminUserIDTextEditTicket"), stJBAOption, adminUserID,
        GetTicketStringConvertedToPrtLang),
    ROW(PT_KEY("JBAAdminUserPasswordTextEditTicket"), stJBAOption, adminUserPassword,
        GetTicketPasswordStringConvertedToEncryption),
    ROW(PT_KEY("JBAAdminUserInputRadioBtnTicket"), stJBAOption, adminUserInputRadio,
        GetTicketInteger),
};

const TicketData JBAticketDataAdminForUTF8[4] = {
    ROW(PT_KEY("JBAUserIDListCtrlTicket"), stJBAOption, adminUserIDListCtrl, GetTicketInteger),
    ROW(PT_KEY("JBAAdminUserIDTextEditTicket"), stJBAOption, adminUserID,
        GetTicketStringConvertedToPrtLangForUTF8),
    ROW(PT_KEY("JBAAdminUserPasswordTextEditTicket"), stJBAOption, adminUserPassword,
        GetTicketPasswordStringConvertedToEncryption),
    ROW(PT_KEY("JBAAdminUserInputRadioBtnTicket"), stJBAOption, adminUserInputRadio,
        GetTicketInteger),
};

const TicketData FeaturesticketData[21] = {
    ROW("number-up", stFeaturesOption, numberUp, GetNumberUpTicketString),
    ROW("com.apple.print.PrintSettings.PMDuplexing..n.", stFeaturesOption, duplexing,
        GetTicketInteger),
    ROW("Collate", stFeaturesOption, collate, GetTicketStringConvertedToPrtLang),
    ROW("media", stFeaturesOption, media, GetTicketStringConvertedToPrtLang),
    ROW("QZInputSlot", stFeaturesOption, inputSlot, GetTicketStringConvertedToPrtLang),
    ROW("MediaType", stFeaturesOption, mediaType, GetTicketStringConvertedToPrtLang),
    ROW("QZColorMode", stFeaturesOption, colorMode, GetTicketStringConvertedToPrtLang),
    ROW("QZOutputMode", stFeaturesOption, outputMode, GetTicketStringConvertedToPrtLang),
    ROW("QZStaple", stFeaturesOption, staple, GetTicketStringConvertedToPrtLang),
    ROW("QZPunch", stFeaturesOption, punch, GetTicketStringConvertedToPrtLang),
    ROW("com.apple.print.subTicket.page_format_ticket..d.com.apple.print.PageFormat.PMScaling..n.",
        stFeaturesOption, scaling, GetTicketStringConvertedToPrtLang),
    ROW("page-border", stFeaturesOption, pageBorder, GetTicketStringConvertedToPrtLang),
    ROW("OutputOrder", stFeaturesOption, outputOrder, GetTicketStringConvertedToPrtLang),
    ROW("com.apple.print.PageToPaperMappingType..n.", stFeaturesOption, scaleToFit,
        GetTicketStringConvertedToPrtLang),
    ROW("page-set", stFeaturesOption, pageSet, GetTicketStringConvertedToPrtLang),
    ROW("mirror", stFeaturesOption, mirror, GetTicketStringConvertedToPrtLang),
    ROW("QZMSILeadingEdge", stFeaturesOption, msiLeadingEdge, GetTicketStringConvertedToPrtLang),
    ROW("QZTrapping", stFeaturesOption, trapping, GetTicketStringConvertedToPrtLang),
    ROW("com.apple.print.subTicket.page_format_ticket..d.com.apple.print.PageFormat.PMOrientation..n.",
        stFeaturesOption, pageFormatOrientation, GetTicketStringConvertedToPrtLang),
    ROW("com.apple.print.PrintSettings.PMOrientation..n.", stFeaturesOption,
        printSettingsOrientation, GetTicketStringConvertedToPrtLang),
    ROW("orientation-requested", stFeaturesOption, orientationRequested,
        GetTicketStringConvertedToPrtLang),
};

#undef PT_KEY
#undef ROW

void GetTicketFromArray(char **argv, const TicketData *table, int count)
{
    CupsOptions options(argv[5]);
    for (int i = 0; i < count; i++)
        table[i].getter(table[i].key, options.count(), options.list(), table[i].value,
                        table[i].size);
}

int GetTicketInteger(const char *key, int numOptions, cups_option_t *options, void *value,
                     int size)
{
    (void)size;
    int *target = static_cast<int *>(value);
    const char *text = cupsGetOption(key, numOptions, options);
    if (text == nullptr) {
        *target = -1;
        return 0;
    }
    *target = ClampToInt(DecimalValue(text));
    return 1;
}

// The value is stored as decoded; a value that does not fit the field is
// cut at size - 1 bytes so the field always keeps its terminating zero.
int GetTicketStringConvertedToPrtLang(const char *key, int numOptions, cups_option_t *options,
                                      void *value, int size)
{
    char *target = static_cast<char *>(value);
    std::memset(target, 0, static_cast<size_t>(size));
    char work[kWorkSize];
    if (!ReadDecodedValue(key, numOptions, options, work))
        return 0;
    std::snprintf(target, static_cast<size_t>(size), "%s", work);
    return 1;
}

int GetTicketStringConvertedToPrtLangForUTF8(const char *key, int numOptions,
                                             cups_option_t *options, void *value, int size)
{
    char *target = static_cast<char *>(value);
    std::memset(target, 0, static_cast<size_t>(size));
    char work[kWorkSize];
    if (!ReadDecodedValue(key, numOptions, options, work))
        return 0;
    ConvertUTF8ToEncodingForUTF8(work, target, size);
    return 1;
}

int GetTicketPasswordStringConvertedToEncryption(const char *key, int numOptions,
                                                 cups_option_t *options, void *value, int size)
{
    char *target = static_cast<char *>(value);
    std::memset(target, 0, static_cast<size_t>(size));
    char work[kWorkSize];
    if (!ReadDecodedValue(key, numOptions, options, work))
        return 0;
    ConvertUTF8ToEncoding(work, target, size);
    return 1;
}

// "number-up" gives "N" and its value. Without it the layout rows and
// columns give the count; a missing one of the two counts as 1, and no
// layout at all (or a count of 1) gives "1".
int GetNumberUpTicketString(const char *key, int numOptions, cups_option_t *options,
                            void *value, int size)
{
    char *target = static_cast<char *>(value);
    char work[kWorkSize] = {0};
    std::memset(target, 0, static_cast<size_t>(size));

    const char *numberUp = cupsGetOption(key, numOptions, options);
    const char *rows = cupsGetOption(kLayoutRowsKey, numOptions, options);
    const char *columns = cupsGetOption(kLayoutColumnsKey, numOptions, options);

    if (numberUp != nullptr) {
        std::snprintf(work, kWorkSize, "N%s", numberUp);
        numstrtochar(work, kWorkSize);
    } else if (rows == nullptr && columns == nullptr) {
        std::snprintf(work, sizeof(work), "1");
    } else {
        long long product = (rows != nullptr ? ClampToInt(DecimalValue(rows)) : 1LL) *
                            (columns != nullptr ? ClampToInt(DecimalValue(columns)) : 1LL);
        if (product == 1) {
            std::snprintf(work, sizeof(work), "1");
        } else if (product >= 0 && product <= 99) {
            char digits[3];
            std::snprintf(work, sizeof(work), "N%s",
                          itoa(static_cast<int>(product), digits, sizeof(digits)));
        } else {
            // Counts that two digits cannot hold are written in full.
            std::snprintf(work, sizeof(work), "N%lld", product);
        }
    }
    ConvertUTF8ToEncoding(work, target, size);
    return 1;
}

void numstrtochar(char *text, int size)
{
    if (text == nullptr || size <= 0 || text[0] != '/')
        return;
    size_t length = strnlen(text, static_cast<size_t>(size));
    if (length < 2)
        return;

    // Elements are read ahead of where their bytes are written (each
    // element takes at least its "/"), so decoding in place is safe.
    size_t write = 0;
    size_t pos = 1;
    for (;;) {
        const char *slash =
            static_cast<const char *>(std::memchr(text + pos, '/', length - pos));
        size_t end = slash != nullptr ? static_cast<size_t>(slash - text) : length;
        long long number = DecimalValue(text + pos);
        unsigned char byte = number < 256 ? static_cast<unsigned char>(number & 0xFF) : 0;
        text[write] = static_cast<char>(byte);
        text[write + 1] = '\0';
        write++;
        if (slash == nullptr || end + 1 >= length)
            break;
        pos = end + 1;
    }
}

char *itoa(int value, char *buffer, int length)
{
    if (buffer == nullptr || length <= 0)
        return buffer;
    char *end = buffer + length - 1;
    *end = '\0';
    if (value == 0)
        return end;
    // Work in unsigned so INT_MIN has a magnitude; digits that do not fit
    // the buffer are left out rather than written before it.
    unsigned int magnitude = value < 0 ? 0u - static_cast<unsigned int>(value)
                                       : static_cast<unsigned int>(value);
    char *p = end;
    while (magnitude != 0 && p > buffer) {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    }
    if (value < 0 && p > buffer)
        *--p = '-';
    return p;
}
