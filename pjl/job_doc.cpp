#include "pjl/job_doc.h"

#include "options/gathering.h"
#include "pjl/pjl_line.h"
#include "pjl/ppd_defaults.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// Names and passwords are taken into working texts of this many bytes,
// and at most kQuotedTextMax of them fit between the quotes.
constexpr size_t kWorkingTextMax = 254;
constexpr size_t kQuotedTextMax = 252;

bool Is(const char *text, const char *value)
{
    return std::strcmp(text, value) == 0;
}

bool PrinterIsUTF8(const PrintOptions *options)
{
    return Is(options->PPDOption.printerLanguageEncoding, "UTF-8");
}

// The first room bytes of text at most. On a UTF-8 printer the cut moves
// back to a character boundary so the printer never gets half a character.
std::string CutText(const char *text, size_t room, bool utf8)
{
    std::string s(text, strnlen(text, kWorkingTextMax));
    if (s.size() <= room)
        return s;
    size_t cut = room;
    while (utf8 && cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
        cut--;
    s.resize(cut);
    return s;
}

// The value of a SET line that carries text in double quotes, cut so that
// the whole line stays within its limit.
std::string QuotedSetValue(const char *name, const char *text, bool utf8)
{
    size_t lineRoom = kPJLLineMax - std::strlen("@PJL SET =\n\"\"") - std::strlen(name);
    std::string value = CutText(text, std::min(kQuotedTextMax, lineRoom), utf8);
    return "\"" + value + "\"";
}

void PutQuotedSet(const char *name, const char *text, bool utf8)
{
    MakePJLCommand("SET", name, QuotedSetValue(name, text, utf8).c_str());
}

void PutDocumentNameComment(bool utf8)
{
    const char prefix[] = "DNAME=";
    size_t room = kPJLLineMax - std::strlen("@PJL COMMENT \n") - std::strlen(prefix);
    std::string text = prefix + CutText(PTStdDocumentName, room, utf8);
    PutPJLComment(text.c_str());
}

// Hold modes: 3 proof print, 2 stored job (private when it has a password).
void PutHold(const PrintOptions *options, bool utf8)
{
    const PrintTypeOptionRec &pt = options->PrintTypeOption;
    if (pt.printType == 3) {
        MakePJLCommand("SET", "HOLD", "PROOF");
    } else if (pt.printType == 2) {
        MakePJLCommand("SET", "HOLD", "STORE");
        if (pt.password[0] != '\0') {
            MakePJLCommand("SET", "HOLDTYPE", "PRIVATE");
            // The security mode is never filled yet; "Green" would ask the
            // printer to treat the key as encrypted.
            const char *keyName =
                Is(options->PPDOption.securityMode, "Green") ? "HOLDENCRYPTKEY" : "HOLDKEY";
            PutQuotedSet(keyName, pt.password, utf8);
        }
    }
}

// Name type 1 sends the prepared document name even when it is empty;
// name type 2 sends the typed name only when there is one.
void PutJobName(const PrintOptions *options, bool utf8)
{
    const PrintTypeOptionRec &pt = options->PrintTypeOption;
    if (pt.documentNameType == 1)
        PutQuotedSet("JOBNAME", PTStdDocumentName, utf8);
    else if (pt.documentNameType == 2 && pt.documentName[0] != '\0')
        PutQuotedSet("JOBNAME", pt.documentName, utf8);
}

// Collated copies go out as QTY so the printer sorts them itself.
void PutCopies(char **argv, const PrintOptions *options)
{
    const char *copies = argv[4] != nullptr ? argv[4] : "";
    if (Is(options->FeaturesOption.collate, "true"))
        MakePJLCommand("SET", "QTY", copies);
    else
        MakePJLCommand("SET", "COPIES", copies);
}

void PutFixedLayoutLines()
{
    MakePJLCommand("ATTR", "FSTP", "0");
    MakePJLCommand("ATTR", "LSTP", "0");
    MakePJLCommand("SET", "OUTBIN", "MAINTRAY");
    MakePJLCommand("ATTR", "LOUT", "NOSCALING");
}

// Returns true when a quality line was written.
bool PutQuality(const char *outputMode)
{
    const char *value = nullptr;
    if (Is(outputMode, "HighSpeed"))
        value = "SPEED";
    else if (Is(outputMode, "Standard"))
        value = "STANDARD";
    else if (Is(outputMode, "HighQuality"))
        value = "QUALITY2";
    if (value == nullptr)
        return false;
    MakePJLCommand("ATTR", "DIPQ", value);
    return true;
}

void PutCollation(const char *collate)
{
    if (Is(collate, "false"))
        MakePJLCommand("SET", "COLLATE", "OFF");
    else if (Is(collate, "true"))
        MakePJLCommand("SET", "COLLATE", "COLLATENORMAL");
}

void PutRenderMode(const char *colorMode)
{
    if (Is(colorMode, "Color"))
        MakePJLCommand("SET", "RENDERMODE", "AUTOCOLOR");
    else if (Is(colorMode, "Black"))
        MakePJLCommand("SET", "RENDERMODE", "GRAYSCALE");
}

// A printer with both a quality and a colour mode renders by the colour
// mode; one without a colour mode prints every quality in grey.
void PutQualityAndColour(FeaturesOptionRec &features)
{
    SetDefaultFromPPD(features.outputMode, KPPDOutputModeKey, "Standard");
    SetDefaultFromPPD(features.colorMode, KPPDColorModeKey, "Color");

    if (features.outputMode[0] != '\0' && features.colorMode[0] != '\0') {
        PutQuality(features.outputMode);
        PutCollation(features.collate);
        PutRenderMode(features.colorMode);
    } else {
        if (PutQuality(features.outputMode))
            MakePJLCommand("SET", "RENDERMODE", "GRAYSCALE");
        PutCollation(features.collate);
    }
}

void PutTrapping(FeaturesOptionRec &features)
{
    SetDefaultFromPPD(features.trapping, KPPDPTrappingKey, "true");
    if (Is(features.trapping, "true"))
        MakePJLCommand("ATTR", "TRAP", "ON");
    else if (Is(features.trapping, "false"))
        MakePJLCommand("ATTR", "TRAP", "OFF");
}

} // namespace

void OutputJobAttributes(char **argv, PrintOptions *options)
{
    bool utf8 = PrinterIsUTF8(options);
    PutDocumentNameComment(utf8);
    PutHold(options, utf8);
    if (options->PrintTypeOption.userName[0] != '\0')
        PutQuotedSet("USERNAME", options->PrintTypeOption.userName, utf8);
    PutJobName(options, utf8);
    PutCopies(argv, options);
    PutFixedLayoutLines();
    PutQualityAndColour(options->FeaturesOption);
    PutTrapping(options->FeaturesOption);
}

void OutputJobDocCommand(char **argv, PrintOptions *options)
{
    OutputJobAttributes(argv, options);
    OutputMediaAttributes(options);
    OutputFinishingAttributes(options);
}
