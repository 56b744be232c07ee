// The PJL job around the PDF: header sequence, file size and trailer.
#pragma once

#include "options/print_options.h"

#include <cstdint>

void MakeCommonComments();
void OutputPJLPrinterLanguageEncoding(const PrintOptions *options);
void OutputFileSizeCommand(int64_t fileSize);
void PutEnterLanguage();
int PutPJLCommand(char **argv, PrintOptions *options, int64_t fileSize);
int OutputXPJLCommand(char **argv, PrintOptions *options, int64_t fileSize);
void PutPJLTrailer();
void PutPJLTrailerEnd();
void OutputXPJLTrailer(char **argv, PrintOptions *options);
