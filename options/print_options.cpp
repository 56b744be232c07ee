#include "options/print_options.h"

#include <cstring>

PrintOptions printoptions;
PrintTypeOptionRec stPrintTypeOption;
JBAOptionRec stJBAOption;
FeaturesOptionRec stFeaturesOption;

void ClearPrintOptions(PrintOptions *options)
{
    std::memset(options, 0, sizeof(*options));
}
