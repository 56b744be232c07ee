// The chained platform PDF filter for page layout.
#pragma once

#include "options/print_options.h"

// 1 when the job's options need the platform's page layout.
int checkIfNeddApplePDF(const PrintOptions *options);

// Runs the platform filter on the job's input and spools its output into
// a new temporary file whose name goes into spoolPath (128 bytes).
// 1 on success, 0 when the document cannot be prepared.
int SpoolThroughChainedFilter(int argc, char **argv, char *spoolPath);
