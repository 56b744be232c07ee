// PPD option keywords of the header lines, and the default step that fills
// an empty option field when the queue's PPD offers that option.
#pragma once

#include <cstddef>

constexpr const char KPPDOutputModeKey[] = "QZOutputMode";
constexpr const char KPPDColorModeKey[] = "QZColorMode";
constexpr const char KPPDPTrappingKey[] = "QZTrapping";
constexpr const char KPPDInputSlotKey[] = "QZInputSlot";
constexpr const char KPPDMediaTypeKey[] = "MediaType";
constexpr const char KPPDMSILeadingEdgeKey[] = "QZMSILeadingEdge";
constexpr const char KPPDStapleKey[] = "QZStaple";
constexpr const char KPPDPunchKey[] = "QZPunch";

// When field is empty and the PPD named by $PPD has an option keyword,
// writes defaultText into field (at most size - 1 bytes). A field that
// holds a value, an unset $PPD or an unreadable PPD leave it as it is.
// The PPD's own default choice is not read: the caller's text is the default.
void SetDefaultFromPPD(char *field, size_t size, const char *keyword, const char *defaultText);

template <size_t N>
void SetDefaultFromPPD(char (&field)[N], const char *keyword, const char *defaultText)
{
    SetDefaultFromPPD(field, N, keyword, defaultText);
}
