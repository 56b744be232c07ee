// Stands in for the platform's PDF filter in the chained-filter tests.
//
// Records how it was called in the file named by FAKE_FILTER_LOG (argc,
// then each argument on a line of its own, argv[0] first), then writes
// "%fake-layout\n" followed by the job's document: the file named by
// argv[6], or standard input without one. After its output it ends with
// status FAKE_FILTER_EXIT, or kills itself with signal FAKE_FILTER_SIGNAL.
#include <csignal>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (const char *log = std::getenv("FAKE_FILTER_LOG")) {
        if (FILE *f = std::fopen(log, "w")) {
            std::fprintf(f, "%d\n", argc);
            for (int i = 0; i < argc; i++)
                std::fprintf(f, "%s\n", argv[i]);
            std::fclose(f);
        }
    }

    FILE *input = argc >= 7 ? std::fopen(argv[6], "rb") : stdin;
    if (input == nullptr)
        return 2;
    std::fputs("%fake-layout\n", stdout);
    char block[4096];
    size_t n;
    while ((n = std::fread(block, 1, sizeof(block), input)) > 0)
        std::fwrite(block, 1, n, stdout);
    std::fflush(stdout);

    if (const char *sig = std::getenv("FAKE_FILTER_SIGNAL"))
        std::raise(std::atoi(sig));
    if (const char *code = std::getenv("FAKE_FILTER_EXIT"))
        return std::atoi(code);
    return 0;
}
