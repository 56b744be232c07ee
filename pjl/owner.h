// Job accounting and owner block of the PJL header.
#pragma once

#include "options/print_options.h"

int PutJACommand(char **argv, PrintOptions *options);
