#include "pjl/job_doc.h"

#include "pjl/pjl_line.h"
#include "pjl/ppd_defaults.h"

#include <cstring>

namespace {

bool Is(const char *text, const char *value)
{
    return std::strcmp(text, value) == 0;
}

enum OrientationClass { kLandscape = 0, kReverseLandscape = 1, kPortrait = 2 };

// The page format and print settings must agree on landscape; the IPP
// orientation alone is enough.
OrientationClass ClassOf(const FeaturesOptionRec &features)
{
    const char *pageFormat = features.pageFormatOrientation;
    const char *printSettings = features.printSettingsOrientation;
    const char *requested = features.orientationRequested;
    if ((Is(pageFormat, "2") && Is(printSettings, "2")) || Is(requested, "4"))
        return kLandscape;
    if ((Is(pageFormat, "4") && Is(printSettings, "4")) || Is(requested, "5"))
        return kReverseLandscape;
    return kPortrait;
}

// Positions by orientation class: landscape, reverse landscape, portrait.
// "BOTTON" is the word the printers know for a landscape punch.
const char *const kPunchPositions[] = {"BOTTON", "TOP", "LEFT"};

struct StapleRow {
    const char *staple;
    const char *positions[3];
};

const StapleRow kStaples[] = {
    {"UpperLeftSinglePort", {"BOTTOMLEFT", "TOPRIGHT", "TOPLEFT"}},
    {"LeftDoublePort", {"BOTTOMDUAL", "TOPDUAL", "LEFTDUAL"}},
    {"TopDoublePort", {"LEFTDUAL", "RIGHTDUAL", "TOPDUAL"}},
};

void PutDuplex(int duplexing)
{
    if (duplexing == 1) {
        MakePJLCommand("SET", "DUPLEX", "OFF");
        return;
    }
    MakePJLCommand("SET", "DUPLEX", "ON");
    if (duplexing == 3)
        MakePJLCommand("SET", "BINDING", "SHORTEDGE");
    else if (duplexing == 2)
        MakePJLCommand("SET", "BINDING", "LONGEDGE");
}

// Punching alone turns the finisher on itself; with a staple the staple
// line does it.
void PutPunchAndStaple(FeaturesOptionRec &features)
{
    SetDefaultFromPPD(features.staple, KPPDStapleKey, "None");
    SetDefaultFromPPD(features.punch, KPPDPunchKey, "None");

    const char *staple = features.staple;
    const char *punch = features.punch;
    if (staple[0] == '\0' || (Is(staple, "None") && Is(punch, "None")))
        return;

    OrientationClass orientation = ClassOf(features);
    if (Is(punch, "True") || Is(punch, "true")) {
        if (Is(staple, "None"))
            MakePJLCommand("SET", "FINISH", "ON");
        MakePJLCommand("SET", "PUNCH", kPunchPositions[orientation]);
    }
    for (const StapleRow &row : kStaples) {
        if (Is(staple, row.staple)) {
            MakePJLCommand("SET", "FINISH", "ON");
            MakePJLCommand("SET", "STAPLE", row.positions[orientation]);
            return;
        }
    }
}

void PutPagesPerSheet(const char *numberUp)
{
    if (numberUp[0] == '\0' || Is(numberUp, "1"))
        MakePJLCommand("ATTR", "NLPP", "1");
    else
        MakePJLCommand("ATTR", "NLPP", numberUp);
}

} // namespace

void OutputFinishingAttributes(PrintOptions *options)
{
    FeaturesOptionRec &features = options->FeaturesOption;
    PutDuplex(features.duplexing);
    PutPunchAndStaple(features);
    MakePJLCommand("SET", "TIMEOUT", "0");
    PutPagesPerSheet(features.numberUp);
}
