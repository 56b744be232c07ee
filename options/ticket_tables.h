// Tables that say, for each option key the filter reads, which staging
// field receives the value, how wide it is and which getter reads it.
#pragma once

#include "options/print_options.h"

#include <cups/cups.h>

// Reads key from the option list into value (a field of size bytes).
using TicketGetter = int (*)(const char *key, int numOptions, cups_option_t *options,
                             void *value, int size);

struct TicketData {
    const char *key;
    void *value;
    int size;
    TicketGetter getter;
};

// Option key of the product type, which limits the document name.
extern const char kPrintTypeProductType[];
// Layout keys that make up number-up when "number-up" itself is absent.
extern const char kLayoutRowsKey[];
extern const char kLayoutColumnsKey[];

// Print-type tables: plain and for printers whose language is UTF-8.
extern const TicketData PrintTypeticketData[5];
extern const TicketData PrintTypeticketDataForUTF8[5];
// Job-accounting tables: common rows and administrator rows.
extern const TicketData JBAticketDataCommon[11];
extern const TicketData JBAticketDataCommonForUTF8[11];
extern const TicketData JBAticketDataAdmin[4];
extern const TicketData JBAticketDataAdminForUTF8[4];
// Page and finishing options (one variant).
extern const TicketData FeaturesticketData[21];

// Parses the option string argv[5] and applies every row of table.
void GetTicketFromArray(char **argv, const TicketData *table, int count);

// Integer option: its decimal value (0 when not a number), or -1 when the
// key is absent. Returns 1 when present, 0 when absent.
int GetTicketInteger(const char *key, int numOptions, cups_option_t *options, void *value,
                     int size);
// Text option, stored as given after slash-number decoding.
int GetTicketStringConvertedToPrtLang(const char *key, int numOptions, cups_option_t *options,
                                      void *value, int size);
// Text option, re-encoded as UTF-8 character by character.
int GetTicketStringConvertedToPrtLangForUTF8(const char *key, int numOptions,
                                             cups_option_t *options, void *value, int size);
// Password, converted to Shift_JIS on every printer.
int GetTicketPasswordStringConvertedToEncryption(const char *key, int numOptions,
                                                 cups_option_t *options, void *value, int size);
// Pages per sheet: "N" and the count, or "1".
int GetNumberUpTicketString(const char *key, int numOptions, cups_option_t *options,
                            void *value, int size);

// Decodes, in place, a text of the form "/72/105" into the bytes 72 and
// 105. Texts that do not begin with "/", and "/" alone, stay unchanged.
void numstrtochar(char *text, int size);

// Writes value in decimal at the end of buffer (its last byte a zero) and
// returns where the digits begin; 0 gives the empty text.
char *itoa(int value, char *buffer, int length);
