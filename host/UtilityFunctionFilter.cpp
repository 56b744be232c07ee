#include "host/UtilityFunctionFilter.h"

#include "options/gathering.h"
#include "options/ppd_lookup.h"
#include "platform/cups_handles.h"
#include "platform/text_codec.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

int (*gHostNameSource)(char *name, size_t length) = gethostname;

char *outString = nullptr;
int outStringLen = 0;
int result = 0;

namespace {

const char _IPv4_LocalHost_sign_[] = "127.0.0.1";
const char _IPv6_LocalHost_sign_[] = "fe80::1";

constexpr int kHostNameWorkSize = 256;
constexpr size_t kHostNameUnits = 32;
constexpr int kAddressTextSize = 46;

bool IsUTF8Printer()
{
    PpdFile ppd = OpenJobPPD();
    if (!ppd)
        return false;
    ppd_attr_t *attr = ppdFindAttr_ALT(ppd.get(), KPPDPrinterLanguageEncodingKey, nullptr);
    return attr != nullptr && attr->value != nullptr && std::strcmp(attr->value, "UTF-8") == 0;
}

// Cuts a UTF-8 text in place after its first maxUnits UTF-16 units and
// puts it back as UTF-8 (the buffer holds size bytes). A character that
// needs two units is kept whole or not at all, so the cut never leaves half
// a surrogate pair that UTF-8 could not hold. A text that is not valid
// UTF-8 is left as it is.
void CutToUTF16Units(char *text, size_t size, size_t maxUnits)
{
    std::u16string units;
    if (!DecodeUTF8(text, units) || units.size() <= maxUnits)
        return;
    size_t keep = maxUnits;
    if (keep > 0 && units[keep - 1] >= 0xD800 && units[keep - 1] <= 0xDBFF)
        keep--;
    units.resize(keep);
    std::string cut;
    if (!EncodeUTF8(units, cut))
        return;
    std::memset(text, 0, size);
    std::memcpy(text, cut.data(), std::min(cut.size(), size - 1));
}

// Copies text into outString: at most outStringLen - 1 bytes, the rest of
// those bytes zero, so nothing of an earlier, longer text is left.
void CopyToOutString(const char *text)
{
    if (outString == nullptr || outStringLen <= 0)
        return;
    std::strncpy(outString, text, static_cast<size_t>(outStringLen - 1));
    outString[outStringLen - 1] = '\0';
}

// Numeric host text of one socket address; false when it has none.
bool NumericHostText(const SocketAddressData &entry, char *text, size_t size)
{
    if (entry.empty())
        return false;
    sockaddr_storage address{};
    size_t length = std::min(entry.size(), sizeof(address));
    std::memcpy(&address, entry.data(), length);
    return getnameinfo(reinterpret_cast<const sockaddr *>(&address),
                       static_cast<socklen_t>(length), text, static_cast<socklen_t>(size),
                       nullptr, 0, NI_NUMERICHOST) == 0;
}

// The context keeps its own copy of the host name for as long as the
// resolver holds the client.
void *RetainHostName(void *info)
{
    return new std::string(*static_cast<const std::string *>(info));
}

void ReleaseHostName(void *info)
{
    delete static_cast<std::string *>(info);
}

bool IsPlainASCII(const char *text)
{
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; p++) {
        if (*p >= 0x80)
            return false;
    }
    return true;
}

} // namespace

void getHostName(char *name)
{
    std::memset(name, 0, kHostNameSize);
    char work[kHostNameWorkSize] = {0};
    if (gHostNameSource(work, kHostNameWorkSize - 1) != 0)
        return;
    work[kHostNameWorkSize - 1] = '\0';

    // Printers that take UTF-8 show at most 32 characters of the name.
    if (IsUTF8Printer())
        CutToUTF16Units(work, sizeof(work), kHostNameUnits);
    std::memcpy(name, work, std::min(std::strlen(work), size_t{kHostNameSize - 1}));
}

int getHostAddress(const char *hostName, char *output, int size)
{
    result = 0;
    // A buffer of 0 bytes cannot even hold the terminating zero.
    if (hostName == nullptr || output == nullptr || size <= 0)
        return 0;
    if (!IsPlainASCII(hostName))
        return 0;
    {
        std::string name(hostName);
        outString = output;
        outStringLen = size;
        std::memset(output, 0, static_cast<size_t>(size));

        bool started = MyResolveNameToAddress(name);
        if (started)
            RunLoopRun();
    }
    outString = nullptr;
    outStringLen = 0;
    return result;
}

bool MyResolveNameToAddress(const std::string &hostName)
{
    ResolverHost *host = HostCreateWithName(hostName.c_str());
    if (host == nullptr)
        return false;

    HostClientContext context{0, const_cast<std::string *>(&hostName), RetainHostName,
                              ReleaseHostName};
    if (!HostSetClient(host, MyCFHostClientCallBack, &context)) {
        HostRelease(host);
        return false;
    }
    HostScheduleWithRunLoop(host);

    HostStreamError error{kHostErrorDomainNone, 0};
    if (HostStartInfoResolution(host, kHostAddresses, &error))
        return true;
    MyCFHostCleanup(host);
    return false;
}

void MyCFHostClientCallBack(ResolverHost *host, HostInfoType typeInfo,
                            const HostStreamError *error, void *info)
{
    (void)info;
    if (typeInfo == kHostAddresses && error != nullptr && error->error == 0) {
        // A success without an address list leaves result at 0.
        const SocketAddressArray *addresses = HostGetAddressing(host);
        if (addresses != nullptr)
            MyPrintAddressArray(*addresses);
    }
    MyCFHostCleanup(host);
    RunLoopStop();
}

void MyPrintAddressArray(const SocketAddressArray &addresses)
{
    for (const SocketAddressData &entry : addresses) {
        char text[kAddressTextSize];
        std::memset(text, 0, sizeof(text));
        if (!NumericHostText(entry, text, sizeof(text))) {
            result = 0;
            continue;
        }
        if (std::strchr(text, '.') != nullptr && std::strcmp(text, _IPv4_LocalHost_sign_) != 0) {
            CopyToOutString(text);
            result = 1;
            return;
        }
        if (std::strchr(text, ':') != nullptr && std::strstr(text, _IPv6_LocalHost_sign_) == nullptr)
            CopyToOutString(text);
        result = 1;
    }
}

void MyCFHostCleanup(ResolverHost *host)
{
    HostUnscheduleFromRunLoop(host);
    HostSetClient(host, nullptr, nullptr);
    HostRelease(host);
}
