#include "document/chain.h"

// The chained filter is not available yet.
int checkIfNeddApplePDF(const PrintOptions *options)
{
    (void)options;
    return 0;
}

int SpoolThroughChainedFilter(int argc, char **argv, char *spoolPath)
{
    (void)argc;
    (void)argv;
    (void)spoolPath;
    return 0;
}
