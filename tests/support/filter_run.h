// Runs the built filter the way the CUPS scheduler does, and splits its
// output into the PJL header, the PDF part and the trailer.
#pragma once

#include <map>
#include <string>
#include <vector>

struct FilterResult {
    int status = -1;      // exit status, or -1 when the filter did not exit
    int signal = 0;       // terminating signal, 0 when it exited
    std::string out;      // every byte of standard output
    std::string err;      // every byte of standard error
};

struct FilterRun {
    std::vector<std::string> args;          // argv[1] onward (argv[0] is the filter name)
    std::map<std::string, std::string> env; // PPD, TMPDIR and the like; nothing else is inherited but PATH
    std::string stdinData;                  // written to the filter's standard input
    bool closeStdoutAfter = false;          // close our end of stdout after this many bytes
    size_t closeStdoutAt = 0;
    int sendSignal = 0;                     // signal sent once the filter waits for its input
};

FilterResult RunFilter(const FilterRun &run, const std::string &program = "");

// Standard argv[1..5] for a job: id, user, title, copies, options.
std::vector<std::string> JobArgs(const std::string &options, const std::string &title = "test.pdf",
                                 const std::string &copies = "1",
                                 const std::string &user = "alice");

struct PjlJob {
    bool wellFormed = false;
    std::vector<std::string> header; // lines of the header, each without its LF,
                                     // from the job line to ENTER LANGUAGE
    std::string pdf;                 // bytes between ENTER LANGUAGE and the trailer
};

// Splits a filter's output; wellFormed is true when it starts with the
// UEL and job line and ends with the UEL and "@PJL EOJ\n".
PjlJob ParsePjlJob(const std::string &out);

// Value of the first header line "@PJL SET JOBATTR=\"@NAME=...\"", or of
// "@PJL SET NAME=..." for SET lines; empty when absent.
std::string HeaderAttr(const PjlJob &job, const std::string &name);
std::string HeaderSet(const PjlJob &job, const std::string &name);

// A fresh private directory under the system's temporary folder, removed
// with everything in it when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }
    std::vector<std::string> entries() const;

private:
    std::string path_;
};

std::string ReadFile(const std::string &path);
void WriteFile(const std::string &path, const std::string &data);
std::string Fixture(const std::string &name);

// Makes a PDF with the project's mkpdf tool; extra holds its options.
std::string MakePdf(const std::string &path, const std::string &extra = "");

// The lines of text, each without its LF; a last line without LF is left out.
std::vector<std::string> SplitLines(const std::string &text);

// Runs a shell command and returns its standard output.
std::string Shell(const std::string &command);
