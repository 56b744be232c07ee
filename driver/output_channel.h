// The output channel: mirrors of fwrite, fputs and fputc that also copy
// every byte into the job copy file while one is open.
#pragma once

#include <cstddef>
#include <cstdio>

extern const char *FlagPath;
extern FILE *gJobFilefp;

size_t Utlfwrite(const void *data, size_t size, size_t count, FILE *stream);
int Utlfputs(const char *text, FILE *stream);
int Utlfputc(int c, FILE *stream);

// Size of the buffer that holds the job copy file's path.
constexpr size_t kJobCopyPathSize = 1035;

// Opens the job copy file when the flag file exists. path receives the
// file's name (kJobCopyPathSize bytes). Without TMPDIR, or when the name
// does not fit, no copy is made.
void OpenJobCopyFile(char *path);

// Closes the job copy file after a successful job and gives it mode 0676.
void CloseJobCopyFile(const char *path);
