#include "EntryFields.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The table lists the fields in the structure's order, several to a line.
// clang-format off
#define NUMBER_FIELD(f) {#f, offsetof(RASENTRYA, f), sizeof(DWORD), FieldKind::Number}
#define TEXT_FIELD(f) {#f, offsetof(RASENTRYA, f), sizeof(((RASENTRYA*)nullptr)->f), FieldKind::Text}
#define IPADDR_FIELD(f) {#f, offsetof(RASENTRYA, f), sizeof(RASIPADDR), FieldKind::IpAddress}
#define GUID_FIELD(f) {#f, offsetof(RASENTRYA, f), sizeof(GUID), FieldKind::Guid}

const EntryField kEntryFields[] = {
    NUMBER_FIELD(dwSize), NUMBER_FIELD(dwfOptions), NUMBER_FIELD(dwCountryID), NUMBER_FIELD(dwCountryCode),
    TEXT_FIELD(szAreaCode), TEXT_FIELD(szLocalPhoneNumber), NUMBER_FIELD(dwAlternateOffset),
    IPADDR_FIELD(ipaddr), IPADDR_FIELD(ipaddrDns), IPADDR_FIELD(ipaddrDnsAlt), IPADDR_FIELD(ipaddrWins), IPADDR_FIELD(ipaddrWinsAlt),
    NUMBER_FIELD(dwFrameSize), NUMBER_FIELD(dwfNetProtocols), NUMBER_FIELD(dwFramingProtocol),
    TEXT_FIELD(szScript), TEXT_FIELD(szAutodialDll), TEXT_FIELD(szAutodialFunc), TEXT_FIELD(szDeviceType), TEXT_FIELD(szDeviceName),
    TEXT_FIELD(szX25PadType), TEXT_FIELD(szX25Address), TEXT_FIELD(szX25Facilities), TEXT_FIELD(szX25UserData),
    NUMBER_FIELD(dwChannels), NUMBER_FIELD(dwReserved1), NUMBER_FIELD(dwReserved2),
    NUMBER_FIELD(dwSubEntries), NUMBER_FIELD(dwDialMode), NUMBER_FIELD(dwDialExtraPercent), NUMBER_FIELD(dwDialExtraSampleSeconds),
    NUMBER_FIELD(dwHangUpExtraPercent), NUMBER_FIELD(dwHangUpExtraSampleSeconds), NUMBER_FIELD(dwIdleDisconnectSeconds),
    NUMBER_FIELD(dwType), NUMBER_FIELD(dwEncryptionType), NUMBER_FIELD(dwCustomAuthKey),
    GUID_FIELD(guidId), TEXT_FIELD(szCustomDialDll), NUMBER_FIELD(dwVpnStrategy),
    NUMBER_FIELD(dwfOptions2), NUMBER_FIELD(dwfOptions3), TEXT_FIELD(szDnsSuffix), NUMBER_FIELD(dwTcpWindowSize),
    TEXT_FIELD(szPrerequisitePbk), TEXT_FIELD(szPrerequisiteEntry), NUMBER_FIELD(dwRedialCount), NUMBER_FIELD(dwRedialPause),
};
// clang-format on
const size_t kEntryFieldCount = sizeof kEntryFields / sizeof kEntryFields[0];

static_assert(offsetof(RASENTRYA, dwSubEntries) == 1768, "NT 4.0 record");
static_assert(offsetof(RASENTRYA, guidId) == 1808, "NT 4.0 multilink record");
static_assert(offsetof(RASENTRYA, dwfOptions2) == 2088, "Windows 2000 record");
static_assert(sizeof(RASENTRYA) == 2884, "Windows XP record");

bool IsEntryVersion(DWORD size) {
    return size == offsetof(RASENTRYA, dwSubEntries)   // Windows NT 4.0
           || size == offsetof(RASENTRYA, guidId)      // NT 4.0 with multilink
           || size == offsetof(RASENTRYA, dwfOptions2) // Windows 2000
           || size == sizeof(RASENTRYA);               // Windows XP
}

bool FieldFits(const EntryField& field, DWORD recordSize) { return field.offset + field.size <= recordSize; }

std::string FieldValue(const BYTE* record, const EntryField& field) {
    const BYTE* at = record + field.offset;
    char text[64];
    switch (field.kind) {
    case FieldKind::Number: {
        DWORD value;
        std::memcpy(&value, at, sizeof value);
        return std::to_string(value);
    }
    case FieldKind::Text: {
        const char* chars = reinterpret_cast<const char*>(at);
        return std::string(chars, strnlen(chars, field.size));
    }
    case FieldKind::IpAddress:
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", at[0], at[1], at[2], at[3]);
        return text;
    case FieldKind::Guid: {
        GUID g;
        std::memcpy(&g, at, sizeof g);
        std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2,
                      g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                      g.Data4[7]);
        return text;
    }
    }
    return std::string();
}

bool FieldUnterminated(const BYTE* record, const EntryField& field) {
    return field.kind == FieldKind::Text &&
           strnlen(reinterpret_cast<const char*>(record + field.offset), field.size) == field.size;
}

void SetFieldValue(BYTE* record, const EntryField& field, const std::string& value) {
    BYTE* at = record + field.offset;
    switch (field.kind) {
    case FieldKind::Number: {
        DWORD number = static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 0));
        std::memcpy(at, &number, sizeof number);
        break;
    }
    case FieldKind::Text:
        std::memset(at, 0, field.size);
        std::memcpy(at, value.data(), value.size() < field.size ? value.size() : field.size - 1);
        break;
    case FieldKind::IpAddress: {
        unsigned a = 0, b = 0, c = 0, d = 0;
        std::sscanf(value.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
        at[0] = static_cast<BYTE>(a);
        at[1] = static_cast<BYTE>(b);
        at[2] = static_cast<BYTE>(c);
        at[3] = static_cast<BYTE>(d);
        break;
    }
    case FieldKind::Guid: {
        GUID g = {};
        unsigned long d1 = 0;
        unsigned d2 = 0, d3 = 0, b[8] = {};
        std::sscanf(value.c_str(), "{%8lx-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &d1, &d2, &d3, &b[0], &b[1], &b[2],
                    &b[3], &b[4], &b[5], &b[6], &b[7]);
        g.Data1 = d1;
        g.Data2 = static_cast<WORD>(d2);
        g.Data3 = static_cast<WORD>(d3);
        for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<BYTE>(b[i]);
        std::memcpy(at, &g, sizeof g);
        break;
    }
    }
}
