#include "pjl/owner.h"

// The owner block is not written yet.
int PutJACommand(char **argv, PrintOptions *options)
{
    (void)argv;
    (void)options;
    return 1;
}
