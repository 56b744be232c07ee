#include "pjl/owner.h"

#include "host/UtilityFunctionFilter.h"
#include "options/text_convert.h"
#include "pjl/pjl_line.h"

#include <climits>
#include <cstdio>
#include <cstring>

namespace {

time_t CurrentTime()
{
    return time(nullptr);
}

// Working texts of the owner block: one PJL line's worth.
constexpr int kWorkSize = kPJLLineMax + 1;
constexpr int kAddressScratchSize = 128;

// Bounded copy into a working text; a longer value (the password fields
// are wider than a line) is cut to what the text holds.
void CopyText(char *destination, const char *source)
{
    std::memset(destination, 0, kWorkSize);
    if (source != nullptr)
        std::memcpy(destination, source, strnlen(source, kWorkSize - 1));
}

bool IsUTF8Encoding(const PrintOptions *options)
{
    return std::strcmp(options->PPDOption.printerLanguageEncoding, "UTF-8") == 0;
}

void PutDateAndTime(const JBAOptionRec &jba)
{
    // One reading of the clock serves both comments.
    time_t now = gOwnerClock();
    struct tm local;
    if (localtime_r(&now, &local) == nullptr)
        std::memset(&local, 0, sizeof(local));

    char line[kWorkSize] = {0};
    if (jba.printDate[0] != '\0')
        std::snprintf(line, sizeof(line), "DATE=%s", jba.printDate);
    else
        std::snprintf(line, sizeof(line), "DATE=%02d/%02d/%d", local.tm_mon + 1, local.tm_mday,
                      local.tm_year + 1900);
    PutPJLComment(line);

    std::memset(line, 0, sizeof(line));
    if (jba.printTime[0] != '\0')
        std::snprintf(line, sizeof(line), "TIME=%s", jba.printTime);
    else
        std::snprintf(line, sizeof(line), "TIME=%02d:%02d:%02d", local.tm_hour, local.tm_min,
                      local.tm_sec);
    PutPJLComment(line);
}

// The computer name: the dialog's computer name, then its host name, then
// the local host name.
void PutComputerName(const PrintOptions *options)
{
    const JBAOptionRec &jba = options->JBAOption;
    char value[kWorkSize] = {0};
    if (jba.macHostName[0] != '\0') {
        if (IsUTF8Encoding(options))
            CopyText(value, jba.macHostName);
        else
            ConvertUTF8ToEncoding(jba.macHostName, value, kWorkSize);
    } else if (jba.hostName[0] != '\0') {
        CopyText(value, jba.hostName);
    } else {
        getHostName(value);
    }
    MakePJLCommand("ATTR", "CNAM", value);
}

// The owner goes to the printer in Shift_JIS whatever its character set.
void PutOwner(char **argv, const char *user)
{
    const char *owner = user;
    if (owner[0] == '\0')
        owner = (argv != nullptr && argv[2] != nullptr) ? argv[2] : "";
    char value[kWorkSize] = {0};
    ConvertUTF8ToEncoding(owner, value, kWorkSize);
    MakePJLCommand("ATTR", "JOAU", value);
}

// The host address: the dialog's text as it is, or the looked-up address of
// this host; no line when there is none.
void PutHostAddress(const JBAOptionRec &jba)
{
    if (jba.ipAddress[0] != '\0') {
        MakePJLCommand("ATTR", "HOAD", jba.ipAddress);
        return;
    }
    char name[kWorkSize] = {0};
    getHostName(name);
    char address[kWorkSize] = {0};
    if (getHostAddress(name, address, kWorkSize) != 1 || address[0] == '\0')
        return;
    char value[kWorkSize] = {0};
    MakeHostAddressValue(address, value, kWorkSize);
    MakePJLCommand("ATTR", "HOAD", value);
}

} // namespace

time_t (*gOwnerClock)() = CurrentTime;

void MakeHostAddressValue(const char *address, char *value, int size)
{
    char scratch[kAddressScratchSize] = "I";
    size_t used = 1;
    const char *p = address;
    while (*p != '\0') {
        size_t length = std::strcspn(p, ".");
        if (length > 0) {
            unsigned long number = 0;
            for (const char *d = p; d < p + length && *d >= '0' && *d <= '9'; d++) {
                if (number <= (ULONG_MAX - 9) / 10)
                    number = number * 10 + static_cast<unsigned long>(*d - '0');
            }
            int n = std::snprintf(scratch + used, sizeof(scratch) - used, "%lX", number);
            if (n < 0 || static_cast<size_t>(n) >= sizeof(scratch) - used)
                break;
            used += static_cast<size_t>(n);
        }
        p += length;
        if (*p == '.')
            p++;
    }
    std::snprintf(value, static_cast<size_t>(size), "%s", scratch);
}

void OutputJobOwnerCommand(char **argv, PrintOptions *options, const char *user,
                           const char *password)
{
    const JBAOptionRec &jba = options->JBAOption;
    PutDateAndTime(jba);
    PutComputerName(options);
    PutOwner(argv, user);
    PutHostAddress(jba);

    // The password goes as the dialog gave it: unquoted, unconverted.
    char value[kWorkSize] = {0};
    CopyText(value, password);
    MakePJLCommand("ATTR", "JOEP", value);
}

int PutJACommand(char **argv, PrintOptions *options)
{
    const JBAOptionRec &jba = options->JBAOption;
    char user[kWorkSize] = {0};
    char password[kWorkSize] = {0};

    if (jba.manageType != 1 && jba.manageType != 2) {
        OutputJobOwnerCommand(argv, options, user, password);
        return 1;
    }

    // The credentials entered for this job travel in a block of their own.
    if (jba.adminUserInputRadio == 1) {
        CopyText(user, jba.inputUserID);
        if (user[0] != '\0')
            CopyText(password, jba.inputUserPassword);
        OutputJobOwnerCommand(argv, options, user, password);
    }

    if (jba.manageType == 2) {
        if (jba.adminUserIDListCtrl == 2)
            CopyText(user, jba.userID);
        else if (jba.adminUserIDListCtrl == 1)
            CopyText(user, jba.login);
        CopyText(password, jba.userPassword);
    } else {
        if (jba.adminUserIDListCtrl == 2)
            CopyText(user, jba.adminUserID);
        else if (jba.adminUserIDListCtrl == 1)
            CopyText(user, jba.login);
        if (user[0] != '\0')
            CopyText(password, jba.adminUserPassword);
    }
    OutputJobOwnerCommand(argv, options, user, password);
    return 1;
}
