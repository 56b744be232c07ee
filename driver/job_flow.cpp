#include "driver/job_flow.h"

#include "document/edit_decision.h"
#include "document/spool.h"
#include "driver/output_channel.h"
#include "options/gathering.h"
#include "options/print_options.h"
#include "pjl/header.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>

volatile int CancelJobForPipe = 0;

// A cancelled job still runs to its end, so the printer gets a whole job.
void SignalHandler(int sig)
{
    (void)sig;
}

// A closed output is noted for the exit status; writes then simply fail.
void SignalPipeHandler(int sig)
{
    (void)sig;
    CancelJobForPipe = 1;
}

namespace {

int Fail(const char *message)
{
    Utlfputs(message, stderr);
    return 1;
}

} // namespace

int FilterMain(int argc, char **argv)
{
    signal(SIGTERM, SignalHandler);
    signal(SIGPIPE, SignalPipeHandler);

    if (argc < 6) {
        fprintf(stderr, "Usage: %s job-id user title copies options [file]\n",
                argc > 0 ? argv[0] : "qzpdftopjl");
        return 1;
    }

    char jobCopyPath[kJobCopyPathSize] = {0};
    char finalPath[kTempPathSize] = {0};
    gJobFilefp = nullptr;

    OpenJobCopyFile(jobCopyPath);

    ClearPrintOptions(&printoptions);
    std::memset(&PDFDocInfo, 0, sizeof(PDFDocInfo));
    int64_t fileSize = 0;

    if (GetPrintOptions(argv, &printoptions) == 0)
        return Fail("Get Print Options fail\n");
    if (ProcessData(argc, argv, finalPath, &PDFDocInfo, &fileSize, &printoptions) == 0)
        return Fail("Process Data fail\n");
    if (OutputXPJLCommand(argv, &printoptions, fileSize) == 0)
        return Fail("output XPJL Command fail\n");

    if (finalPath[0] != '\0')
        WritePDFData(finalPath);
    OutputXPJLTrailer(argv, &printoptions);
    fflush(stdout);

    CloseJobCopyFile(jobCopyPath);
    return CancelJobForPipe == 1 ? 1 : 0;
}
