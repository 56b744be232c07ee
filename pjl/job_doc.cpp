#include "pjl/job_doc.h"

// The job, media and finishing lines are not written yet.
void OutputJobDocCommand(char **argv, PrintOptions *options)
{
    (void)argv;
    (void)options;
}
