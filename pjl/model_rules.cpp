#include "pjl/model_rules.h"

#include "options/ppd_lookup.h"
#include "platform/cups_handles.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

struct ModelRow {
    std::initializer_list<const char *> tokens; // empty: matches every model
    const char *value;
};

// A token matches anywhere in the model name, case included; the first row
// with a match decides.
const char *FirstMatch(const char *modelName, std::initializer_list<ModelRow> rows)
{
    for (const ModelRow &row : rows) {
        if (row.tokens.size() == 0)
            return row.value;
        for (const char *token : row.tokens) {
            if (modelName != nullptr && std::strstr(modelName, token) != nullptr)
                return row.value;
        }
    }
    return "";
}

} // namespace

const char *BypassSourceForModel(const char *modelName)
{
    return FirstMatch(modelName, {
        {{"RA10", "RB20", "RA30", "RB40", "RB50", "RC60", "RC70"}, "SMH"},
        {{"SD11", "SD12", "SD13", "SE14", "SE15", "SE16"}, "TRAY5"},
        {{"TF21", "TG22", "TG23", "TG24"}, "SMH"},
        {{"TG25"}, "TRAY5"},
        {{"TH26", "TH27"}, "SMH"},
        {{}, "TRAY5"},
    });
}

const char *ThickPaper2ForModel(const char *modelName)
{
    return FirstMatch(modelName, {
        {{"RA10", "RB20", "RA30"}, "SUPERTHICK"},
        {{"RB40", "RB50", "RC60", "RC70"}, "THICK2"},
        {{"SD11", "SD12", "SD13", "SE14", "SE15", "SE16"}, "SUPERTHICK"},
        {{"TF21", "TG22", "TG23"}, "THICK2"},
        {{}, "SUPERTHICK"},
    });
}

const char *PPDModelName(ppd_file_t *ppd)
{
    ppd_attr_t *attr = ppdFindAttr_ALT(ppd, "ModelName", nullptr);
    if (attr == nullptr || attr->value == nullptr)
        return nullptr;
    return attr->value;
}

void RunModelRule(const char *(*rule)(const char *), char (&value)[kModelValueSize])
{
    std::memset(value, 0, sizeof(value));
    PpdFile ppd = OpenJobPPD();
    if (!ppd)
        return;
    if (const char *model = PPDModelName(ppd.get()))
        std::snprintf(value, sizeof(value), "%s", rule(model));
}
