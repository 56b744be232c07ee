// Option gathering: fills the option record from the PPD and the option
// string, and prepares the document name from the job title.
#pragma once

#include "options/print_options.h"

// The job title converted and cut for the printer (256 bytes, 255 used).
extern char StdDocumentName[256];
// The prepared document name that the header sends.
extern char PTStdDocumentName[256];

int GetPrintOptions(char **argv, PrintOptions *options);
void GetPPDOptions(PPDOptionRec *ppdOption);
