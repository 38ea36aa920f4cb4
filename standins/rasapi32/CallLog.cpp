#include "CallLog.h"

#include "EscapeLogValue.h"

#include <cstdio>

CallLog::CallLog(const char* call) {
    m_line = std::string("call=") + call;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    char text[64];
    std::snprintf(text, sizeof text, "%llu",
                  (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    Text("time", text);
    Number("pid", GetCurrentProcessId());
}

void CallLog::Text(const char* key, const std::string& value) {
    m_line += '\t';
    m_line += key;
    m_line += '=';
    m_line += EscapeLogValue(value);
}

void CallLog::Number(const char* key, DWORD value) { Text(key, std::to_string(value)); }

void CallLog::Pointer(const char* key, const void* pointer) { Text(key, pointer ? "set" : "null"); }

void CallLog::Handle(const char* key, HANDLE handle) {
    if (!handle)
        Text(key, "null");
    else
        Text(key, std::to_string(reinterpret_cast<UINT_PTR>(handle)));
}

void CallLog::Write() const {
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("QM_RAS_LOG", path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string line = m_line + "\r\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}
