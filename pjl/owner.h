// Job accounting and owner block of the PJL header.
#pragma once

#include "options/print_options.h"

#include <ctime>

// Where the owner block reads the current time (time(nullptr) by default);
// tests point it elsewhere.
extern time_t (*gOwnerClock)();

// Chooses the owner's user and password texts by the accounting mode and
// writes one owner block, or two when the credentials entered for this
// job go in a block of their own. Always 1.
int PutJACommand(char **argv, PrintOptions *options);

// One owner block: DATE and TIME comments, then the CNAM, JOAU, HOAD and
// JOEP job attributes.
void OutputJobOwnerCommand(char **argv, PrintOptions *options, const char *user,
                           const char *password);

// "I" followed by the upper-case hexadecimal number of each "."-separated
// piece of an address text (empty pieces skipped); the number of a piece is
// the value of the decimal digits at its start, 0 when there are none.
void MakeHostAddressValue(const char *address, char *value, int size);
