#include "document/rerender.h"

// Re-rendering is not available yet.
int PreProcess(PDFDocInfoRecord *info, char *outPath)
{
    (void)info;
    (void)outPath;
    return 0;
}
