// Job, document, media and finishing lines of the PJL header.
#pragma once

#include "options/print_options.h"

// Writes the three sections below, in this order. Empty option fields may
// receive a default from the PPD on the way (SetDefaultFromPPD).
void OutputJobDocCommand(char **argv, PrintOptions *options);

// Document name, hold and secure print, user and job names, copies, the
// fixed layout lines, quality, collation, colour rendering, trapping.
void OutputJobAttributes(char **argv, PrintOptions *options);

// Paper source, paper size, media type, feed edge of the bypass tray.
void OutputMediaAttributes(PrintOptions *options);

// Duplex and binding, punch and staple, time-out, pages per sheet.
void OutputFinishingAttributes(PrintOptions *options);
