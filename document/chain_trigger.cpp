#include "document/chain.h"

#include <cstring>

namespace {

bool SetAndNot(const char *value, const char *neutral)
{
    return value[0] != '\0' && std::strcmp(value, neutral) != 0;
}

} // namespace

// Any of these options changes the page content, which only the platform
// filter lays out. The texts are compared exactly: "N1" is a number-up
// that was asked for, so it still goes through the layout.
int checkIfNeddApplePDF(const PrintOptions *options)
{
    const FeaturesOptionRec &f = options->FeaturesOption;
    if (SetAndNot(f.scaling, "1"))
        return 1;
    if (SetAndNot(f.numberUp, "1"))
        return 1;
    if (f.pageBorder[0] != '\0')
        return 1;
    if (SetAndNot(f.outputOrder, "Normal"))
        return 1;
    if (SetAndNot(f.scaleToFit, "1"))
        return 1;
    if (f.pageSet[0] != '\0')
        return 1;
    if (f.mirror[0] != '\0')
        return 1;
    return 0;
}
