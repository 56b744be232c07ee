#include "pjl/header.h"

#include "driver/output_channel.h"
#include "pjl/job_doc.h"
#include "pjl/owner.h"
#include "pjl/pjl_line.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {
const char kUEL[] = "\033%-12345X";
}

void MakeCommonComments()
{
    PutPJLComment("begin");
    PutPJLComment("Version:4.00");
}

void OutputPJLPrinterLanguageEncoding(const PrintOptions *options)
{
    char encoding[kPJLLineMax + 1] = {0};
    std::snprintf(encoding, sizeof(encoding), "%s", options->PPDOption.printerLanguageEncoding);

    const char *value = "\"SJISX0208\"";
    if (std::strcmp(encoding, "UTF-8") == 0)
        value = "\"UTF8\"";
    else if (std::strcmp(encoding, "ISOLatin1") == 0)
        value = "\"HPROMAN8\"";
    MakePJLCommand("SET", "STRINGCODESET", value);
}

void OutputFileSizeCommand(int64_t fileSize)
{
    char size[kPJLLineMax + 1] = {0};
    std::snprintf(size, sizeof(size), "%" PRId64, fileSize);
    MakePJLCommand("ATTR", "FSIZ", size);
}

void PutEnterLanguage()
{
    Utlfputs("@PJL ENTER LANGUAGE=PDF\n", stdout);
}

int PutPJLCommand(char **argv, PrintOptions *options, int64_t fileSize)
{
    char jobLine[64] = {0};
    std::snprintf(jobLine, sizeof(jobLine), "%s@PJL JOB MODE=PRINTER\n", kUEL);
    Utlfputs(jobLine, stdout);

    OutputPJLPrinterLanguageEncoding(options);
    MakeCommonComments();
    PutJACommand(argv, options);
    OutputJobDocCommand(argv, options);
    OutputFileSizeCommand(fileSize);
    PutEnterLanguage();
    return 1;
}

int OutputXPJLCommand(char **argv, PrintOptions *options, int64_t fileSize)
{
    PutPJLCommand(argv, options, fileSize);
    return 1;
}

void PutPJLTrailer()
{
    Utlfputs(kUEL, stdout);
}

void PutPJLTrailerEnd()
{
    Utlfputs("@PJL EOJ\n", stdout);
}

void OutputXPJLTrailer(char **argv, PrintOptions *options)
{
    (void)argv;
    (void)options;
    PutPJLTrailer();
    PutPJLTrailerEnd();
}
