// The chained platform PDF filter for page layout.
#pragma once

#include "options/print_options.h"

// 1 when the job's options need the platform's page layout, 0 otherwise.
int checkIfNeddApplePDF(const PrintOptions *options);

// Runs the platform filter on the job's input and spools its output into
// a new temporary file whose name goes into spoolPath (128 bytes).
// 1 on success; 0 when the document cannot be prepared (no pipe, no
// filter program, no child process, no spool file, or a filter that
// failed), in which case no spool file is left behind.
int SpoolThroughChainedFilter(int argc, char **argv, char *spoolPath);

// Replaces the calling process with the filter at filterPath, given the
// job's own arguments (argv[0] to argv[5], and argv[6] when argc is 7 or
// more). Returns only when the program cannot be started.
void ExecuteFilter(const char *filterPath, int argc, char **argv);

// Copies everything read from fd up to its end into a new spool file,
// straight to its descriptor. 1 on success; 0 when the spool file cannot
// be made or written or fd cannot be read, in which case no spool file is
// left behind.
int SaveToTempFile(int fd, char *spoolPath);
