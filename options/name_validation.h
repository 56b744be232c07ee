// Character tables that a document name must keep to, and the walk that
// checks a name against one of them.
#pragma once

struct ValidateRange {
    int low;
    int high;
};

// Allowed single bytes and allowed two-byte units (first byte * 256 +
// second byte), each as up to ten inclusive ranges.
struct ValidateDataScale {
    int byteRangeCount;
    ValidateRange byteRanges[10];
    int wordRangeCount;
    ValidateRange wordRanges[10];
};

// Shift_JIS tables (the same contents).
extern const ValidateDataScale docuNameValidateDataScale;
extern const ValidateDataScale docuNameValidateDataScaleForProduct03;
// UTF-8 table of product types 3 and 5.
extern const ValidateDataScale docuNameValidateDataScaleForProduct03UTF8;

// Returns 1 when every character of text is allowed by table, else 0.
int ValidateDada(const char *text, const ValidateDataScale *table);

// Returns 1 when the two bytes at position form an allowed unit of the
// word ranges, else 0.
int ISWordValid(const char *position, int wordRangeCount, const ValidateRange *wordRanges);
