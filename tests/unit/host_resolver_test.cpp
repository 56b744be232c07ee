// The resolver layer: the client is called back on the calling thread from
// inside the run loop, the loop runs until a callback stops it, and the
// client's info is released exactly once.
#include "platform/host_resolver.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include <string>
#include <thread>
#include <vector>

namespace {

struct Record {
    int retains = 0;
    int releases = 0;
    std::vector<std::string> calls; // "name:error" per callback, in order
    std::vector<size_t> addressCounts;
    std::thread::id thread;
    bool stopInCallback = true;
    bool cleanUpInCallback = true;
};

Record *gRecord = nullptr;

void *Retain(void *info)
{
    gRecord->retains++;
    return info;
}

void Release(void *)
{
    gRecord->releases++;
}

void Callback(ResolverHost *host, HostInfoType type, const HostStreamError *error, void *info)
{
    EXPECT_EQ(type, kHostAddresses);
    gRecord->thread = std::this_thread::get_id();
    gRecord->calls.push_back(*static_cast<std::string *>(info) + ":" +
                             std::to_string(error->error));
    const SocketAddressArray *addresses = HostGetAddressing(host);
    gRecord->addressCounts.push_back(addresses != nullptr ? addresses->size() : 0);
    if (gRecord->cleanUpInCallback) {
        HostUnscheduleFromRunLoop(host);
        HostSetClient(host, nullptr, nullptr);
        HostRelease(host);
    }
    if (gRecord->stopInCallback)
        RunLoopStop();
}

class HostResolver : public ::testing::Test {
protected:
    void SetUp() override { gRecord = &record; }
    void TearDown() override { gRecord = nullptr; }

    // Created, client set, scheduled and started, as a lookup does it.
    ResolverHost *Start(std::string *name)
    {
        ResolverHost *host = HostCreateWithName(name->c_str());
        HostClientContext context{0, name, Retain, Release};
        EXPECT_TRUE(HostSetClient(host, Callback, &context));
        HostScheduleWithRunLoop(host);
        HostStreamError error{-1, -1};
        EXPECT_TRUE(HostStartInfoResolution(host, kHostAddresses, &error));
        EXPECT_EQ(error.error, 0);
        return host;
    }

    Record record;
};

} // namespace

TEST_F(HostResolver, AnswerComesOnTheCallingThreadInsideTheRun)
{
    std::string name = "192.0.2.7";
    Start(&name);
    EXPECT_TRUE(record.calls.empty()) << "the answer must wait for the run loop";
    RunLoopRun();
    ASSERT_EQ(record.calls, std::vector<std::string>{"192.0.2.7:0"});
    EXPECT_EQ(record.thread, std::this_thread::get_id());
    EXPECT_EQ(record.addressCounts, std::vector<size_t>{1});
    EXPECT_EQ(record.retains, 1);
    EXPECT_EQ(record.releases, 1);
}

TEST_F(HostResolver, AddressesKeepTheirFamilyAndLength)
{
    std::string v4 = "192.0.2.7", v6 = "2001:db8::7";
    record.cleanUpInCallback = false;
    ResolverHost *a = Start(&v4);
    RunLoopRun();
    ResolverHost *b = Start(&v6);
    RunLoopRun();
    const SocketAddressArray *four = HostGetAddressing(a);
    const SocketAddressArray *six = HostGetAddressing(b);
    ASSERT_TRUE(four && six);
    ASSERT_EQ(four->size(), 1u);
    ASSERT_EQ(six->size(), 1u);
    EXPECT_EQ((*four)[0].size(), sizeof(sockaddr_in));
    EXPECT_EQ(reinterpret_cast<const sockaddr *>((*four)[0].data())->sa_family, AF_INET);
    EXPECT_EQ((*six)[0].size(), sizeof(sockaddr_in6));
    EXPECT_EQ(reinterpret_cast<const sockaddr *>((*six)[0].data())->sa_family, AF_INET6);
    HostRelease(a);
    HostRelease(b);
    EXPECT_EQ(record.releases, 2);
}

TEST_F(HostResolver, FailedResolutionIsReportedToTheClient)
{
    std::string name = "no-such-host.invalid";
    Start(&name);
    RunLoopRun();
    ASSERT_EQ(record.calls.size(), 1u);
    EXPECT_NE(record.calls[0], "no-such-host.invalid:0");
    EXPECT_EQ(record.addressCounts, std::vector<size_t>{0});
    EXPECT_EQ(record.releases, 1);
}

TEST_F(HostResolver, StopEndsTheRunAfterOneAnswer)
{
    std::string first = "192.0.2.1", second = "192.0.2.2";
    Start(&first);
    Start(&second);
    RunLoopRun();
    EXPECT_EQ(record.calls, std::vector<std::string>{"192.0.2.1:0"});
    RunLoopRun();
    EXPECT_EQ(record.calls, (std::vector<std::string>{"192.0.2.1:0", "192.0.2.2:0"}));
}

TEST_F(HostResolver, RunWithoutStopReturnsWhenNothingIsLeft)
{
    std::string first = "192.0.2.1", second = "192.0.2.2";
    record.stopInCallback = false;
    Start(&first);
    Start(&second);
    RunLoopRun();
    EXPECT_EQ(record.calls.size(), 2u);
    RunLoopRun(); // nothing scheduled: returns at once
    EXPECT_EQ(record.calls.size(), 2u);
}

TEST_F(HostResolver, StartIsRefusedWithoutClientScheduleOrForNames)
{
    std::string name = "192.0.2.1";
    HostStreamError error{0, 0};

    ResolverHost *noClient = HostCreateWithName(name.c_str());
    HostScheduleWithRunLoop(noClient);
    EXPECT_FALSE(HostStartInfoResolution(noClient, kHostAddresses, &error));
    EXPECT_EQ(error.domain, kHostErrorDomainUsage);
    HostRelease(noClient);

    HostClientContext context{0, &name, Retain, Release};
    ResolverHost *notScheduled = HostCreateWithName(name.c_str());
    HostSetClient(notScheduled, Callback, &context);
    EXPECT_FALSE(HostStartInfoResolution(notScheduled, kHostAddresses, &error));
    HostScheduleWithRunLoop(notScheduled);
    EXPECT_FALSE(HostStartInfoResolution(notScheduled, kHostNames, &error));
    EXPECT_TRUE(HostStartInfoResolution(notScheduled, kHostAddresses, &error));
    EXPECT_FALSE(HostStartInfoResolution(notScheduled, kHostAddresses, &error));
    HostRelease(notScheduled);

    RunLoopRun(); // the released host must not be delivered
    EXPECT_TRUE(record.calls.empty());
    EXPECT_EQ(record.retains, 1);
    EXPECT_EQ(record.releases, 1);
}

TEST_F(HostResolver, UnscheduledHostIsNotDelivered)
{
    std::string name = "192.0.2.1";
    ResolverHost *host = Start(&name);
    HostUnscheduleFromRunLoop(host);
    RunLoopRun();
    EXPECT_TRUE(record.calls.empty());
    HostRelease(host);
    EXPECT_EQ(record.releases, 1);
}

TEST_F(HostResolver, ClientReplacementAndBadContexts)
{
    std::string name = "192.0.2.1";
    EXPECT_EQ(HostCreateWithName(nullptr), nullptr);
    EXPECT_FALSE(HostSetClient(nullptr, Callback, nullptr));

    ResolverHost *host = HostCreateWithName(name.c_str());
    HostClientContext wrongVersion{1, &name, Retain, Release};
    EXPECT_FALSE(HostSetClient(host, Callback, &wrongVersion));
    EXPECT_EQ(record.retains, 0);

    HostClientContext context{0, &name, Retain, Release};
    EXPECT_TRUE(HostSetClient(host, Callback, &context));
    EXPECT_TRUE(HostSetClient(host, Callback, &context)); // the first info is let go
    EXPECT_EQ(record.retains, 2);
    EXPECT_EQ(record.releases, 1);
    EXPECT_TRUE(HostSetClient(host, nullptr, nullptr));
    EXPECT_EQ(record.releases, 2);
    HostRelease(host);
    EXPECT_EQ(record.releases, 2);
}
