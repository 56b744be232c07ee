#include "options/gathering.h"

#include "options/ppd_lookup.h"
#include "platform/cups_handles.h"

#include <cstdio>
#include <cstring>

char StdDocumentName[256];
char PTStdDocumentName[256];

void GetPPDOptions(PPDOptionRec *ppdOption)
{
    PpdFile ppd = OpenJobPPD();
    if (!ppd)
        return;
    ppd_attr_t *attr = ppdFindAttr_ALT(ppd.get(), "QZPrinterLanguageEncoding", nullptr);
    if (attr != nullptr && attr->value != nullptr)
        std::snprintf(ppdOption->printerLanguageEncoding,
                      sizeof(ppdOption->printerLanguageEncoding), "%s", attr->value);
}

// The ticket tables and the document name are not read yet.
int GetPrintOptions(char **argv, PrintOptions *options)
{
    (void)argv;
    GetPPDOptions(&options->PPDOption);
    std::memset(StdDocumentName, 0, sizeof(StdDocumentName));
    std::memset(PTStdDocumentName, 0, sizeof(PTStdDocumentName));
    setvbuf(stderr, nullptr, _IONBF, 0);
    return 1;
}
