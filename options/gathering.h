// Option gathering: fills the option record from the PPD and the option
// string, and prepares the document name from the job title.
#pragma once

#include "options/print_options.h"

// The job title converted and cut for the printer (256 bytes, 255 used).
extern char StdDocumentName[256];
// The prepared document name that the header sends.
extern char PTStdDocumentName[256];

// PPD attribute that names the printer's language encoding.
extern const char KPPDPrinterLanguageEncodingKey[];
extern const char KPPDCharEncoding[];

// Fills the whole record and PTStdDocumentName. Always returns 1.
int GetPrintOptions(char **argv, PrintOptions *options);
// Copies the PPD's language encoding into the block (empty without one).
void GetPPDOptions(PPDOptionRec *ppdOption);

// Reads the three ticket blocks from the option string argv[5].
void GetTicketFromPDE(char **argv, PrintOptions *options);
void PrintTypeGetTicketFromPDE(char **argv, PrintTypeOptionRec *block);
void JBAGetTicketFromPDE(char **argv, JBAOptionRec *block);
void FeaturesGetTicketFromPDE(char **argv, FeaturesOptionRec *block);

// Document-name steps: cut StdDocumentName to 32 columns and fill
// PTStdDocumentName from it (or from the title on a UTF-8 printer) ...
void InvalidateStdDocumentNameForProductType(char **argv, bool isUTF8Printer);
// ... then, on a UTF-8 printer, apply the product type's length limit.
void InvalidatePrintTypeDocumentNameForProductType(char **argv);

// Columns a UTF-16 unit takes in the printer's name field: 1 or 2.
int DocumentNameColumnWidth(char16_t unit);
// Length limit of the document name, in UTF-16 units, for a product type.
int DocumentNameUnitLimit(int productType);
