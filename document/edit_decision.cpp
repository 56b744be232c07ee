#include "document/edit_decision.h"

PDFDocInfoRecord PDFDocInfo;

// Pages are never edited yet.
int pdfDocInfo_init(const char *spoolPath, PDFDocInfoRecord *info)
{
    (void)spoolPath;
    info->numPages = 0;
    info->lastPage = 0;
    info->pageStep = 1;
    info->rotation = 0;
    info->rasterMode = 0;
    return -1;
}

int CheckIfNeedEdit(char **argv, PDFDocInfoRecord *info, int chained)
{
    (void)argv;
    (void)info;
    (void)chained;
    return 0;
}

void pdfDocInfo_release(PDFDocInfoRecord *info)
{
    info->document = nullptr;
}
