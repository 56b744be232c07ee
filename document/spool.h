// Spooling of the input into a temporary PDF, and the copy of the final
// PDF to the output.
#pragma once

#include "document/pdf_doc_info.h"
#include "options/print_options.h"

#include <cstdint>
#include <cstdio>

// Size of the buffers that hold a temporary file's path.
constexpr int kTempPathSize = 128;

// Spools and prepares the document. finalPath (kTempPathSize bytes)
// receives the path of the PDF to send, fileSize its exact size.
// 1 when the job can go on, 0 when the document cannot be prepared.
int ProcessData(int argc, char **argv, char *finalPath, PDFDocInfoRecord *info,
                int64_t *fileSize, PrintOptions *options);

// Copies the job's input (standard input when argc is 6, else argv[6])
// into a new spool file through the output channel. 1 on success; 0 when
// the input cannot be read or the spool file cannot be written, in which
// case no spool file is left behind.
int SaveToTempFileFromCups(int argc, char **argv, char *spoolPath);

// Copies the final PDF to standard output through the output channel and
// removes it.
void WritePDFData(const char *path);
