#include "driver/job_flow.h"

int main(int argc, char **argv)
{
    return FilterMain(argc, argv);
}
