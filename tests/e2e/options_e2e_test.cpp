// Option gathering inside a real filter run: a job with every kind of
// option and a title that is not UTF-8 still prints, with one message.
#include "support/filter_run.h"

#include <gtest/gtest.h>

#include <string>

TEST(OptionsE2E, InvalidTitleIsReportedOnceAndTheJobGoesOn)
{
    // The layout keys give one page per sheet: a number-up job would go
    // through the platform's PDF filter, which these PPDs do not name.
    const std::string options =
        "com.orvex.vyx.printsettings.PrintTypeTicketKey=2 "
        "com.orvex.vyx.printsettings.JBAUserIDTextEditTicket=/98/111/98 "
        "com.orvex.vyx.printsettings.JBAUserPasswordTextEditTicket=secret "
        "com.orvex.vyx.printsettings.PrintTypeProductTypeTicketKey=3 "
        "com.apple.print.PrintSettings.PMLayoutRows..n.=1 "
        "com.apple.print.PrintSettings.PMLayoutColumns..n.=1 Collate=true media=A4";
    for (const char *ppd : {"plain.ppd", "encoding-utf8.ppd"}) {
        TempDir tmp;
        FilterRun run;
        run.args = JobArgs(options, "report\xFF.pdf");
        run.env["PPD"] = Fixture(ppd);
        run.env["TMPDIR"] = tmp.path();
        run.stdinData = ReadFile(Fixture("sample.pdf"));
        FilterResult r = RunFilter(run);
        EXPECT_EQ(r.status, 0) << ppd;
        EXPECT_EQ(r.err, "CFStringCreateWithCString fail\n") << ppd;
        PjlJob job = ParsePjlJob(r.out);
        EXPECT_TRUE(job.wellFormed) << ppd;
        EXPECT_EQ(job.pdf, run.stdinData) << ppd;
    }
}
