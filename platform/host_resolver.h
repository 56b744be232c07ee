// A host-name resolver shaped like an asynchronous host object: the caller
// creates a host for a name, sets a client callback, schedules the host on
// the calling thread's run loop and starts the resolution; RunLoopRun then
// resolves the name (getaddrinfo, every address family) and calls the
// client back on that same thread before it returns. The loop runs until a
// callback calls RunLoopStop or nothing scheduled is left to resolve.
#pragma once

#include <vector>

// One resolved socket address: the bytes of a struct sockaddr of its family.
using SocketAddressData = std::vector<unsigned char>;
using SocketAddressArray = std::vector<SocketAddressData>;

struct ResolverHost;

enum HostInfoType {
    kHostAddresses = 0,
    kHostNames = 1, // reverse lookup; not offered by this resolver
};

enum HostErrorDomain {
    kHostErrorDomainNone = 0,
    kHostErrorDomainAddrInfo = 1, // error is a getaddrinfo code
    kHostErrorDomainUsage = 2,    // error is -1: the call was not allowed
};

struct HostStreamError {
    int domain;
    int error;
};

typedef void (*HostClientCallBack)(ResolverHost *host, HostInfoType typeInfo,
                                   const HostStreamError *error, void *info);

// version must be 0. retain is called on info when the client is set and
// its result is what the callback receives; release is called on that once
// the client is removed or the host is released. Both may be null.
struct HostClientContext {
    int version;
    void *info;
    void *(*retain)(void *info);
    void (*release)(void *info);
};

// Null when name is null.
ResolverHost *HostCreateWithName(const char *name);
// A null callback removes the client. False for a null host or a context
// of another version.
bool HostSetClient(ResolverHost *host, HostClientCallBack callback,
                   const HostClientContext *context);
void HostScheduleWithRunLoop(ResolverHost *host);
void HostUnscheduleFromRunLoop(ResolverHost *host);
// Starts resolving the name's addresses. False (with error filled in when
// given) when the host has no client, is not scheduled, is already
// resolving, or another kind of information is asked for.
bool HostStartInfoResolution(ResolverHost *host, HostInfoType type, HostStreamError *error);
// The addresses of the last successful resolution, in resolver order; null
// when none has succeeded.
const SocketAddressArray *HostGetAddressing(const ResolverHost *host);
// Unschedules the host, drops its client and frees it.
void HostRelease(ResolverHost *host);

// Runs the calling thread's loop: delivers the started resolutions of the
// hosts scheduled on it, one at a time, until RunLoopStop is called from a
// callback or no started resolution is left.
void RunLoopRun();
// Makes the calling thread's running loop return after the current callback.
void RunLoopStop();
