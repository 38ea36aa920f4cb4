#pragma once
// One line per call in the file that QM_RAS_LOG names: tab-separated key=value
// pairs, starting with call=<entry point>. Values escape backslash, tab and
// control characters (\\, \t, \r, \n, \xNN). Each line is appended with a
// single write to a file opened for it alone, so processes can share the log.
#include <windows.h>
#include <string>

class CallLog {
public:
    explicit CallLog(const char* call);

    void Text(const char* key, const std::string& value);
    void Number(const char* key, DWORD value);
    // "null" or "set": whether the caller passed the pointer.
    void Pointer(const char* key, const void* pointer);
    void Handle(const char* key, HANDLE handle);
    void Write() const;

private:
    std::string m_line;
};
