// Job, document, media and finishing lines of the PJL header.
#pragma once

#include "options/print_options.h"

void OutputJobDocCommand(char **argv, PrintOptions *options);
