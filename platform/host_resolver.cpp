#include "platform/host_resolver.h"

#include <netdb.h>
#include <sys/socket.h>
#include <sys/types.h>

#include <algorithm>
#include <string>

struct ResolverHost {
    std::string name;
    HostClientCallBack callback = nullptr;
    void *info = nullptr;
    void (*releaseInfo)(void *) = nullptr;
    bool scheduled = false;
    bool started = false;
    bool resolved = false;
    SocketAddressArray addresses;
};

namespace {

// The per-thread run loop: the hosts scheduled on it and the stop request.
struct RunLoop {
    std::vector<ResolverHost *> scheduled;
    bool stopRequested = false;
    bool running = false;
};

thread_local RunLoop gRunLoop;

void SetError(HostStreamError *error, int domain, int code)
{
    if (error != nullptr) {
        error->domain = domain;
        error->error = code;
    }
}

void DropClient(ResolverHost *host)
{
    if (host->releaseInfo != nullptr && host->info != nullptr)
        host->releaseInfo(host->info);
    host->callback = nullptr;
    host->info = nullptr;
    host->releaseInfo = nullptr;
}

// Resolves the host's name into its address list; the result code of
// getaddrinfo, 0 on success.
int Resolve(ResolverHost *host)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM; // one entry per address, not one per socket type
    addrinfo *list = nullptr;
    int rc = getaddrinfo(host->name.c_str(), nullptr, &hints, &list);
    host->addresses.clear();
    host->resolved = (rc == 0);
    if (rc != 0)
        return rc;
    for (addrinfo *ai = list; ai != nullptr; ai = ai->ai_next) {
        const unsigned char *bytes = reinterpret_cast<const unsigned char *>(ai->ai_addr);
        if (bytes != nullptr)
            host->addresses.emplace_back(bytes, bytes + ai->ai_addrlen);
    }
    freeaddrinfo(list);
    return 0;
}

ResolverHost *NextStartedHost()
{
    for (ResolverHost *host : gRunLoop.scheduled) {
        if (host->started)
            return host;
    }
    return nullptr;
}

} // namespace

ResolverHost *HostCreateWithName(const char *name)
{
    if (name == nullptr)
        return nullptr;
    ResolverHost *host = new ResolverHost;
    host->name = name;
    return host;
}

bool HostSetClient(ResolverHost *host, HostClientCallBack callback,
                   const HostClientContext *context)
{
    if (host == nullptr)
        return false;
    if (callback == nullptr) {
        DropClient(host);
        return true;
    }
    if (context != nullptr && context->version != 0)
        return false;
    DropClient(host);
    host->callback = callback;
    if (context != nullptr) {
        host->info = context->retain != nullptr ? context->retain(context->info) : context->info;
        host->releaseInfo = context->release;
    }
    return true;
}

void HostScheduleWithRunLoop(ResolverHost *host)
{
    if (host == nullptr || host->scheduled)
        return;
    gRunLoop.scheduled.push_back(host);
    host->scheduled = true;
}

void HostUnscheduleFromRunLoop(ResolverHost *host)
{
    if (host == nullptr || !host->scheduled)
        return;
    auto &list = gRunLoop.scheduled;
    list.erase(std::remove(list.begin(), list.end(), host), list.end());
    host->scheduled = false;
}

bool HostStartInfoResolution(ResolverHost *host, HostInfoType type, HostStreamError *error)
{
    SetError(error, kHostErrorDomainNone, 0);
    if (host == nullptr || type != kHostAddresses || host->callback == nullptr ||
        !host->scheduled || host->started) {
        SetError(error, kHostErrorDomainUsage, -1);
        return false;
    }
    host->started = true;
    return true;
}

const SocketAddressArray *HostGetAddressing(const ResolverHost *host)
{
    if (host == nullptr || !host->resolved)
        return nullptr;
    return &host->addresses;
}

void HostRelease(ResolverHost *host)
{
    if (host == nullptr)
        return;
    HostUnscheduleFromRunLoop(host);
    DropClient(host);
    delete host;
}

void RunLoopRun()
{
    gRunLoop.stopRequested = false;
    gRunLoop.running = true;
    while (!gRunLoop.stopRequested) {
        ResolverHost *host = NextStartedHost();
        if (host == nullptr)
            break;
        host->started = false;
        HostStreamError error{kHostErrorDomainNone, 0};
        int rc = Resolve(host);
        if (rc != 0)
            error = HostStreamError{kHostErrorDomainAddrInfo, rc};
        // The callback may release the host; it is not touched afterwards.
        HostClientCallBack callback = host->callback;
        void *info = host->info;
        if (callback != nullptr)
            callback(host, kHostAddresses, &error, info);
    }
    gRunLoop.running = false;
    gRunLoop.stopRequested = false;
}

void RunLoopStop()
{
    if (gRunLoop.running)
        gRunLoop.stopRequested = true;
}
