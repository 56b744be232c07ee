// The local host name and a numeric address of this host, for the owner
// block of the PJL header.
#pragma once

#include "platform/host_resolver.h"

#include <cstddef>
#include <string>

// Smallest output buffer that getHostName accepts; the name has at most
// kHostNameSize - 1 bytes.
constexpr int kHostNameSize = 97;

// Where getHostName reads the system's host name (gethostname by default);
// tests point it elsewhere.
extern int (*gHostNameSource)(char *name, size_t length);

// Fills name (at least kHostNameSize bytes) with the local host name, or
// the empty text when there is none. On a printer that takes UTF-8 the
// name is cut to 32 UTF-16 units.
void getHostName(char *name);

// State of the address lookup, shared with the resolver's callback; one
// lookup at a time.
extern char *outString;
extern int outStringLen;
extern int result;

// Resolves hostName (plain ASCII) and puts the chosen numeric address into
// output (size bytes, zero-terminated). Returns 1 when the answers could be
// used (the text may still be empty when every answer was skipped), 0 when
// the name could not be resolved or the arguments are unusable; in that
// last case output is not touched.
int getHostAddress(const char *hostName, char *output, int size);

// Starts resolving hostName on the current run loop; true when the callback
// will come.
bool MyResolveNameToAddress(const std::string &hostName);
void MyCFHostClientCallBack(ResolverHost *host, HostInfoType typeInfo,
                            const HostStreamError *error, void *info);
// The address choice: the first IPv4 text other than 127.0.0.1 wins;
// failing that, the last IPv6 text that is not the fe80::1 link-local one.
// Writes into outString and sets result.
void MyPrintAddressArray(const SocketAddressArray &addresses);
void MyCFHostCleanup(ResolverHost *host);
