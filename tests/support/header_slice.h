// The job, media and finishing lines of a filter run's PJL header, and a
// short notation for expected PJL lines.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

struct SliceRun {
    std::string options;          // the job's option string, argv[5]
    std::string ppd;              // path for $PPD; empty leaves $PPD unset
    std::string title = "test.pdf";
    std::string copies = "1";
};

// Runs the filter on an empty document and returns the header lines from
// "@PJL COMMENT DNAME=" to the "NLPP" line, both included (a test failure
// and an empty list when either is missing).
std::vector<std::string> JobDocLines(const SliceRun &run);

// The variable a header line sets: "X" for "@PJL SET X=...", for
// "@PJL SET JOBATTR=\"@X=...\"" and for "@PJL COMMENT X=...".
std::string LineVariable(const std::string &line);

// The lines whose variable is one of names, in their order.
std::vector<std::string> Pick(const std::vector<std::string> &lines,
                              std::initializer_list<std::string> names);

// Expands the notation "X=v" to "@PJL SET X=v", "@X=v" to
// "@PJL SET JOBATTR=\"@X=v\"" and "#text" to "@PJL COMMENT text".
std::vector<std::string> Pjl(const std::vector<std::string> &shorthand);

// Writes a PPD into dir with the given *ModelName (none when empty) and
// the options QZInputSlot, MediaType and QZMSILeadingEdge; returns its path.
std::string ModelPPD(const std::string &dir, const std::string &modelName);
