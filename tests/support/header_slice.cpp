#include "support/header_slice.h"

#include "support/filter_run.h"

#include <gtest/gtest.h>

std::vector<std::string> JobDocLines(const SliceRun &run)
{
    TempDir tmp;
    FilterRun filter;
    filter.args = JobArgs(run.options, run.title, run.copies);
    if (!run.ppd.empty())
        filter.env["PPD"] = run.ppd;
    filter.env["TMPDIR"] = tmp.path();
    FilterResult result = RunFilter(filter);
    EXPECT_EQ(result.status, 0) << result.err;
    PjlJob job = ParsePjlJob(result.out);
    EXPECT_TRUE(job.wellFormed);

    size_t first = job.header.size(), last = job.header.size();
    for (size_t i = 0; i < job.header.size(); i++) {
        const std::string &line = job.header[i];
        if (first == job.header.size() && line.rfind("@PJL COMMENT DNAME=", 0) == 0)
            first = i;
        if (line.rfind("@PJL SET JOBATTR=\"@NLPP=", 0) == 0)
            last = i;
    }
    if (first >= job.header.size() || last >= job.header.size() || last < first) {
        ADD_FAILURE() << "no DNAME to NLPP slice in the header";
        return {};
    }
    return std::vector<std::string>(job.header.begin() + first, job.header.begin() + last + 1);
}

std::string LineVariable(const std::string &line)
{
    std::string rest;
    for (const char *prefix : {"@PJL SET JOBATTR=\"@", "@PJL SET ", "@PJL COMMENT "}) {
        if (line.rfind(prefix, 0) == 0) {
            rest = line.substr(std::string(prefix).size());
            break;
        }
    }
    return rest.substr(0, rest.find('='));
}

std::vector<std::string> Pick(const std::vector<std::string> &lines,
                              std::initializer_list<std::string> names)
{
    std::vector<std::string> picked;
    for (const std::string &line : lines) {
        std::string variable = LineVariable(line);
        for (const std::string &name : names) {
            if (variable == name) {
                picked.push_back(line);
                break;
            }
        }
    }
    return picked;
}

std::vector<std::string> Pjl(const std::vector<std::string> &shorthand)
{
    std::vector<std::string> lines;
    for (const std::string &s : shorthand) {
        if (!s.empty() && s[0] == '@')
            lines.push_back("@PJL SET JOBATTR=\"" + s + "\"");
        else if (!s.empty() && s[0] == '#')
            lines.push_back("@PJL COMMENT " + s.substr(1));
        else
            lines.push_back("@PJL SET " + s);
    }
    return lines;
}

std::string ModelPPD(const std::string &dir, const std::string &modelName)
{
    std::string text = "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n";
    if (!modelName.empty())
        text += "*ModelName: \"" + modelName + "\"\n";
    text +=
        "*OpenUI *QZInputSlot/Paper Source: PickOne\n"
        "*DefaultQZInputSlot: AutoSelect\n"
        "*QZInputSlot AutoSelect/Auto Select: \"\"\n"
        "*QZInputSlot BypassTray/Bypass Tray: \"\"\n"
        "*CloseUI: *QZInputSlot\n"
        "*OpenUI *MediaType/Media Type: PickOne\n"
        "*DefaultMediaType: Default\n"
        "*MediaType Default/Printer Default: \"\"\n"
        "*MediaType ThickPaper2/Thick Paper 2: \"\"\n"
        "*CloseUI: *MediaType\n"
        "*OpenUI *QZMSILeadingEdge/Leading Edge: PickOne\n"
        "*DefaultQZMSILeadingEdge: LongEdge\n"
        "*QZMSILeadingEdge LongEdge/Long Edge: \"\"\n"
        "*QZMSILeadingEdge ShortEdge/Short Edge: \"\"\n"
        "*CloseUI: *QZMSILeadingEdge\n";
    std::string path = dir + "/model.ppd";
    WriteFile(path, text);
    return path;
}
