// When a job needs the platform's page layout.
#include "document/chain.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using Field = char (FeaturesOptionRec::*)[64];

struct TriggerCase {
    const char *what;
    Field field;
    const char *value;
    int expected;
};

const TriggerCase kCases[] = {
    {"scaling 1 is no scaling", &FeaturesOptionRec::scaling, "1", 0},
    {"any other scaling", &FeaturesOptionRec::scaling, "0.5", 1},
    {"one page per sheet", &FeaturesOptionRec::numberUp, "1", 0},
    {"number-up given as 1", &FeaturesOptionRec::numberUp, "N1", 1},
    {"two pages per sheet", &FeaturesOptionRec::numberUp, "N2", 1},
    {"page border none", &FeaturesOptionRec::pageBorder, "none", 1},
    {"normal output order", &FeaturesOptionRec::outputOrder, "Normal", 0},
    {"output order compared by case", &FeaturesOptionRec::outputOrder, "normal", 1},
    {"reverse output order", &FeaturesOptionRec::outputOrder, "Reverse", 1},
    {"no page-to-paper mapping", &FeaturesOptionRec::scaleToFit, "1", 0},
    {"scale to fit", &FeaturesOptionRec::scaleToFit, "2", 1},
    {"page set all", &FeaturesOptionRec::pageSet, "all", 1},
    {"page set odd", &FeaturesOptionRec::pageSet, "odd", 1},
    {"mirror false", &FeaturesOptionRec::mirror, "false", 1},
    {"mirror true", &FeaturesOptionRec::mirror, "true", 1},
    {"an option that is not about layout", &FeaturesOptionRec::collate, "True", 0},
};

} // namespace

TEST(ChainTrigger, EachFieldByItself)
{
    for (const TriggerCase &c : kCases) {
        PrintOptions options{};
        std::strcpy(options.FeaturesOption.*c.field, c.value);
        EXPECT_EQ(checkIfNeddApplePDF(&options), c.expected) << c.what;
    }
}

TEST(ChainTrigger, NoLayoutOptionsNeedNoChain)
{
    PrintOptions empty{};
    EXPECT_EQ(checkIfNeddApplePDF(&empty), 0);

    // Every layout field at its neutral value, as option gathering leaves a
    // job that asks for nothing.
    PrintOptions neutral{};
    std::strcpy(neutral.FeaturesOption.scaling, "1");
    std::strcpy(neutral.FeaturesOption.numberUp, "1");
    std::strcpy(neutral.FeaturesOption.outputOrder, "Normal");
    std::strcpy(neutral.FeaturesOption.scaleToFit, "1");
    EXPECT_EQ(checkIfNeddApplePDF(&neutral), 0);

    // Any one field that asks for layout is enough among neutral ones.
    neutral.FeaturesOption.mirror[0] = 'x';
    EXPECT_EQ(checkIfNeddApplePDF(&neutral), 1);
}
