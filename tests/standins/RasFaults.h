#pragma once
// The RAS calls failing one at a time, as the stand-in is told to fail them:
// with the errors the gateway gives most (691 refused credentials, 800 no
// tunnel, 868 unknown host) and with the link's own ones. The link, the login
// worker and a whole attempt are each run over every one of them, each layer
// checking what it owes: the link its text and its hang-up, the worker its
// notification.
#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>

struct RasFault {
    const char* name;
    const char* scenario;   // the stand-in's script
    const char* seededHost; // an entry stored first, so that it is read back; none when null
    const char* text;       // the link's error text
    bool dialled;           // a connection was made, to be hung up
    DWORD dialError;        // what the link's connect gives back: the dial's error, 0 for its own failure
};

inline void PrintTo(const RasFault& fault, std::ostream* out) { *out << fault.name; }

inline std::string RasFaultName(const ::testing::TestParamInfo<RasFault>& info) { return info.param.name; }

#define QM_ENTRY "QuillMarsh Professional Trading"
inline constexpr RasFault kRasFaults[] = {
    {"SizeQuery800", "size.result=800", nullptr, "RasGetEntryProperties (size) " QM_ENTRY " failed error=800", false,
     0},
    {"SizeQueryOfZero", "size.result=0", nullptr, "RasGetEntryProperties (size) " QM_ENTRY " failed error=0", false, 0},
    {"SizeQueryOther", "size.result=87", nullptr, "RasGetEntryProperties (size) " QM_ENTRY " failed error=87", false,
     0},
    {"BlockTooLargeToAllocate", "size.result=603\nsize.bytes=0xFFFFFF00", nullptr,
     "RasGetEntryProperties (malloc) " QM_ENTRY, false, 0},
    {"Read868", "get.result=868", "vpn.quillmarsh-holdings.com",
     "RasGetEntryProperties (get) " QM_ENTRY " failed error=868", false, 0},
    {"ReadFails", "get.result=5", "vpn.quillmarsh-holdings.com",
     "RasGetEntryProperties (get) " QM_ENTRY " failed error=5", false, 0},
    {"ReadOfAnUnknownVersion", "size.bytes=3000", "vpn.quillmarsh-holdings.com",
     "RasGetEntryProperties (get) " QM_ENTRY " failed error=632", false, 0},
    {"Write691", "set.result=691", nullptr, "RasSetEntryProperties " QM_ENTRY " failed error=691", false, 0},
    {"WriteFails", "set.result=5", nullptr, "RasSetEntryProperties " QM_ENTRY " failed error=5", false, 0},
    {"RewriteFails", "set.result=1812", "old.example.com", "RasSetEntryProperties " QM_ENTRY " failed error=1812",
     false, 0},
    {"Dial691", "dial.result=691", nullptr, "RasDial " QM_ENTRY " failed error=691", true, 691},
    {"Dial800", "dial.result=800", nullptr, "RasDial " QM_ENTRY " failed error=800", true, 800},
    {"Dial868", "dial.result=868", nullptr, "RasDial " QM_ENTRY " failed error=868", true, 868},
    // The hang-up's text replaces the dial's; the number stays the dial's.
    {"HangUpAfterAFailedDial5", "dial.result=691\nhangup.result=5", nullptr, "RasHangUp " QM_ENTRY " failed error=5",
     true, 691},
    {"HangUpAfterAFailedDial800", "dial.result=691\nhangup.result=800", nullptr,
     "RasHangUp " QM_ENTRY " failed error=800", true, 691},
    // A failing status query while hanging up is only waited out.
    {"StatusWhileHangingUp868", "dial.result=691\nstatus.result=868", nullptr, "RasDial " QM_ENTRY " failed error=691",
     true, 691},
    {"Projection691", "projection.result=691", nullptr, "RasGetProjectionInfo " QM_ENTRY " failed error=691", true, 0},
    {"Projection731", "projection.result=731", nullptr, "RasGetProjectionInfo " QM_ENTRY " failed error=731", true, 0},
};
#undef QM_ENTRY
