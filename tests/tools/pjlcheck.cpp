// Checks the frame of a printer job written by the filter, for tests that
// cannot link the test support (the real-CUPS queue test is a shell script).
//
//   pjlcheck JOB PDF-OUT
//
// Succeeds when JOB starts with the UEL and the job line, ends with the UEL
// and "@PJL EOJ", and its FSIZ equals the size of the PDF part. Writes the
// header lines to standard output, one a line, and the PDF part to PDF-OUT.
#include "support/filter_run.h"

#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: pjlcheck JOB PDF-OUT\n");
        return 2;
    }

    std::string out = ReadFile(argv[1]);
    PjlJob job = ParsePjlJob(out);
    for (const std::string &line : job.header)
        std::printf("%s\n", line.c_str());
    if (!job.wellFormed) {
        std::fprintf(stderr, "pjlcheck: %s is not a well-formed PJL job (%zu bytes)\n", argv[1],
                     out.size());
        return 1;
    }

    std::string fsiz = HeaderAttr(job, "FSIZ");
    if (fsiz != std::to_string(job.pdf.size())) {
        std::fprintf(stderr, "pjlcheck: FSIZ is \"%s\" but the PDF part has %zu bytes\n",
                     fsiz.c_str(), job.pdf.size());
        return 1;
    }

    WriteFile(argv[2], job.pdf);
    return 0;
}
