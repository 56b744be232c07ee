// Byte-exact copies of a document through the output channel.
#pragma once

#include <cstdio>

// Copies every byte of source to destination through the output channel.
// 1 when the whole source was read and written, 0 on a read or write
// error. Without a job copy file the bytes move between the descriptors
// in the kernel where it can (copy_file_range, sendfile); otherwise they
// pass through Utlfwrite so that the copy file receives them too.
int CopyThroughChannel(FILE *source, FILE *destination);
