// The PPD default step and the model rules of the media lines.
#include "pjl/model_rules.h"
#include "pjl/ppd_defaults.h"
#include "support/filter_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Points $PPD at a path for one test and restores it afterwards.
class ScopedPPD {
public:
    explicit ScopedPPD(const char *path)
    {
        if (const char *old = std::getenv("PPD"))
            saved_ = old, had_ = true;
        if (path != nullptr)
            setenv("PPD", path, 1);
        else
            unsetenv("PPD");
    }
    ~ScopedPPD()
    {
        if (had_)
            setenv("PPD", saved_.c_str(), 1);
        else
            unsetenv("PPD");
    }

private:
    std::string saved_;
    bool had_ = false;
};

const std::string kFullPPD = QZ_SOURCE_DIR "/ppd/orvex-vyx.ppd";

} // namespace

TEST(SetDefaultFromPPD, FillsOnlyAnEmptyFieldWhenThePPDHasTheOption)
{
    struct Case {
        const char *what;
        const char *ppd; // nullptr: $PPD unset
        const char *keyword;
        const char *before;
        const char *after;
    };
    const std::string plain = Fixture("plain.ppd");
    const Case cases[] = {
        {"option present", kFullPPD.c_str(), "QZOutputMode", "", "Standard"},
        {"field already set", kFullPPD.c_str(), "QZOutputMode", "HighSpeed", "HighSpeed"},
        {"option absent", plain.c_str(), "QZOutputMode", "", ""},
        {"PPD unset", nullptr, "QZOutputMode", "", ""},
        {"PPD unreadable", "/nonexistent/printer.ppd", "QZOutputMode", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScopedPPD ppd(c.ppd);
        char field[64] = {0};
        std::snprintf(field, sizeof(field), "%s", c.before);
        SetDefaultFromPPD(field, c.keyword, "Standard");
        EXPECT_STREQ(field, c.after);
    }
}

TEST(SetDefaultFromPPD, CopyIsBoundedByTheField)
{
    ScopedPPD ppd(kFullPPD.c_str());
    char field[6] = {0};
    char guard[4] = {'x', 'x', 'x', 'x'};
    SetDefaultFromPPD(field, sizeof(field), "QZOutputMode", "HighQuality");
    EXPECT_STREQ(field, "HighQ");
    EXPECT_EQ(std::string(guard, 4), "xxxx");
}

TEST(ModelRules, FirstMatchingRowDecides)
{
    struct Case {
        const char *model;
        const char *bypass;
        const char *thick2;
    };
    const Case cases[] = {
        {"RA10", "SMH", "SUPERTHICK"},        {"RB20", "SMH", "SUPERTHICK"},
        {"RA30", "SMH", "SUPERTHICK"},        {"RB40", "SMH", "THICK2"},
        {"RB50", "SMH", "THICK2"},            {"RC60", "SMH", "THICK2"},
        {"RC70", "SMH", "THICK2"},            {"SD11", "TRAY5", "SUPERTHICK"},
        {"SD12", "TRAY5", "SUPERTHICK"},      {"SD13", "TRAY5", "SUPERTHICK"},
        {"SE14", "TRAY5", "SUPERTHICK"},      {"SE15", "TRAY5", "SUPERTHICK"},
        {"SE16", "TRAY5", "SUPERTHICK"},      {"TF21", "SMH", "THICK2"},
        {"TG22", "SMH", "THICK2"},            {"TG23", "SMH", "THICK2"},
        {"TG24", "SMH", "SUPERTHICK"},        {"TG25", "TRAY5", "SUPERTHICK"},
        {"TH26", "SMH", "SUPERTHICK"},        {"TH27", "SMH", "SUPERTHICK"},
        {"Orvex VYXTG23-plus", "SMH", "THICK2"},
        {"TG25 TH27", "TRAY5", "SUPERTHICK"}, // row 4 comes before row 5
        {"TH26 SE15", "TRAY5", "SUPERTHICK"}, // row 2 comes before row 5
        {"TF21 RA30", "SMH", "SUPERTHICK"},   // row 1 comes before row 4
        {"tg22", "TRAY5", "SUPERTHICK"},      // tokens are case-sensitive
        {"", "TRAY5", "SUPERTHICK"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.model);
        EXPECT_STREQ(BypassSourceForModel(c.model), c.bypass);
        EXPECT_STREQ(ThickPaper2ForModel(c.model), c.thick2);
    }
}

TEST(ModelRules, RuleValueIsEmptyWithoutAModelName)
{
    char value[kModelValueSize];
    {
        ScopedPPD ppd(kFullPPD.c_str());
        RunModelRule(BypassSourceForModel, value);
        EXPECT_STREQ(value, "TRAY5");
    }
    for (const char *path : {static_cast<const char *>(nullptr), "/nonexistent/printer.ppd"}) {
        ScopedPPD ppd(path);
        std::memset(value, 'x', sizeof(value));
        RunModelRule(ThickPaper2ForModel, value);
        EXPECT_STREQ(value, "");
    }
}
