#include "pjl/job_doc.h"

#include "pjl/model_rules.h"
#include "pjl/pjl_line.h"
#include "pjl/ppd_defaults.h"
#include "platform/cups_handles.h"

#include <cstdio>
#include <cstring>

namespace {

bool Is(const char *text, const char *value)
{
    return std::strcmp(text, value) == 0;
}

struct TrayRow {
    const char *slot;
    const char *mediaSource; // with media type "Default"
    const char *inputTray;   // with any other media type
};

const TrayRow kTrays[] = {
    {"1stTray", "TRAY1", "INTRAY1"},
    {"2ndTray", "TRAY2", "INTRAY2"},
    {"3rdTray", "TRAY3", "INTRAY3"},
    {"4thTray", "TRAY4", "INTRAY4"},
};

struct PaperRow {
    const char *media;
    const char *paper;
};

const PaperRow kPapers[] = {
    {"A3", "A3"},         {"B4", "JISB4"},   {"A4", "A4"},         {"B5", "JISB5"},
    {"A5", "A5"},         {"Letter", "LETTER"}, {"Legal", "LEGAL"}, {"Tabloid", "LEDGER"},
};

// Media type names for a tray (APSP) and for the bypass tray (MSIP);
// nullptr where that source has no such media. The reverse-side media
// exist only on the bypass tray.
struct MediaTypeRow {
    const char *mediaType;
    const char *apsp;
    const char *msip;
};

const char kByModel[] = "(model)"; // filled by the thick-paper-2 model rule

const MediaTypeRow kMediaTypes[] = {
    {"Stationary", "NORMAL", "NORMAL"},
    {"StationaryBack", nullptr, "NORMALREV"},
    {"ThickPaper", "THICK", "THICK"},
    {"ThickPaper2", kByModel, kByModel},
    {"Transparency", "THICK", "THICK"},
    {"TRANSPARENCY", "THICK", "THICK"},
    {"FinePaper", "HIGHQUALITY", "HIGHQUALITY"},
    {"FinePaperBack", nullptr, "HIGHQUALITYREV"},
    {"RecyclePaper", "RECYCLE", "RECYCLE"},
    {"LetterheadPaper", "LETTERHEAD", "LETTERHEAD"},
    {"PreprintedPaper", "PREPRINTED", "PREPRINTED"},
    {"PrepunchedPaper", "PREPUNCHED", "PREPUNCHED"},
    {"ColoredPaper", "COLOR", "COLOR"},
    {"ThickPaper3", "THICK3", "THICK3"},
    {"CoatingPaper1", "COATEDPAPER", "COATEDPAPER"},
    {"CoatingPaper1Back", nullptr, "COATEDPAPERREV"},
    {"CoatingPaper2", "COATEDPAPER2", "COATEDPAPER2"},
    {"CoatingPaper2Back", nullptr, "COATEDPAPER2REV"},
    {"CoatingPaper3", "COATEDPAPER3", "COATEDPAPER3"},
    {"CoatingPaper3Back", nullptr, "COATEDPAPER3REV"},
    {"LabelPaper", "LABEL", "LABEL"},
    {"Envelope", "ENVELOPE", "ENVELOPE"},
};

// The bypass tray's source name depends on the model. Its leading edge
// defaults to the short edge when the PPD offers the choice.
void PutBypassSource(FeaturesOptionRec &features)
{
    char model[kModelValueSize] = {0};
    if (PpdFile ppd = OpenJobPPD()) {
        if (const char *name = PPDModelName(ppd.get()))
            std::snprintf(model, sizeof(model), "%s", BypassSourceForModel(name));
        if (features.msiLeadingEdge[0] == '\0' &&
            ppdFindOption(ppd.get(), KPPDMSILeadingEdgeKey) != nullptr)
            std::snprintf(features.msiLeadingEdge, sizeof(features.msiLeadingEdge), "%s",
                          "ShortEdge");
    }
    MakePJLCommand("SET", "MEDIASOURCE", model);
}

// A tray is named as a media source when the printer chooses the media
// type itself, and as an input tray when the job names a media type. The
// choice reads the media type as the job gave it, before its default.
void PutTraySource(const char *slot, const char *mediaType)
{
    for (const TrayRow &row : kTrays) {
        if (!Is(slot, row.slot))
            continue;
        if (Is(mediaType, "Default"))
            MakePJLCommand("SET", "MEDIASOURCE", row.mediaSource);
        else
            MakePJLCommand("ATTR", "INPT", row.inputTray);
        return;
    }
}

// Returns true when the bypass tray was selected.
bool PutPaperSource(FeaturesOptionRec &features)
{
    SetDefaultFromPPD(features.inputSlot, KPPDInputSlotKey, "AutoSelect");
    if (Is(features.inputSlot, "AutoSelect")) {
        MakePJLCommand("SET", "AUTOSELECT", "ON");
        return false;
    }
    if (Is(features.inputSlot, "BypassTray")) {
        PutBypassSource(features);
        return true;
    }
    PutTraySource(features.inputSlot, features.mediaType);
    return false;
}

void PutPaperSize(const char *media)
{
    for (const PaperRow &row : kPapers) {
        if (Is(media, row.media)) {
            MakePJLCommand("SET", "PAPER", row.paper);
            return;
        }
    }
}

void PutMediaType(FeaturesOptionRec &features, bool bypass)
{
    SetDefaultFromPPD(features.mediaType, KPPDMediaTypeKey, "Default");
    if (Is(features.mediaType, "Default")) {
        MakePJLCommand("SET", "MEDIATYPE", "OFF");
        return;
    }
    for (const MediaTypeRow &row : kMediaTypes) {
        if (!Is(features.mediaType, row.mediaType))
            continue;
        const char *value = bypass ? row.msip : row.apsp;
        if (value == nullptr)
            return;
        char model[kModelValueSize] = {0};
        if (value == kByModel) {
            RunModelRule(ThickPaper2ForModel, model);
            value = model;
        }
        MakePJLCommand("ATTR", bypass ? "MSIP" : "APSP", value);
        return;
    }
}

void PutFeedDirection(const char *leadingEdge)
{
    if (Is(leadingEdge, "LongEdge") || Is(leadingEdge, "LongEdgeR"))
        MakePJLCommand("SET", "PAPERDIRECTION", "LEF");
    else if (Is(leadingEdge, "ShortEdge") || Is(leadingEdge, "ShortEdgeR"))
        MakePJLCommand("SET", "PAPERDIRECTION", "SEF");
}

} // namespace

void OutputMediaAttributes(PrintOptions *options)
{
    FeaturesOptionRec &features = options->FeaturesOption;
    bool bypass = PutPaperSource(features);
    PutPaperSize(features.media);
    PutMediaType(features, bypass);
    if (bypass)
        PutFeedDirection(features.msiLeadingEdge);
}
