#include "CString.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
char g_emptyText[1] = {0};
}

CString::CString() : m_data(g_emptyText), m_length(0), m_capacity(0) {}

CString::CString(const CString& other) : CString() { Assign(other.m_data, other.m_length); }

CString::CString(CString&& other) noexcept
    : m_data(other.m_data), m_length(other.m_length), m_capacity(other.m_capacity) {
    other.m_data = g_emptyText;
    other.m_length = 0;
    other.m_capacity = 0;
}

CString::CString(const char* text) : CString() {
    if (text) Assign(text, static_cast<int>(std::strlen(text)));
}

CString::CString(const char* text, int length) : CString() {
    if (text && length > 0) Assign(text, length);
}

CString::CString(char ch, int repeat) : CString() {
    if (repeat <= 0) return;
    Reserve(repeat);
    std::memset(m_data, ch, repeat);
    m_length = repeat;
    m_data[m_length] = 0;
}

CString::~CString() { Release(); }

CString& CString::operator=(const CString& other) {
    if (this != &other) Assign(other.m_data, other.m_length);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    if (this != &other) {
        Release();
        m_data = other.m_data;
        m_length = other.m_length;
        m_capacity = other.m_capacity;
        other.m_data = g_emptyText;
        other.m_length = 0;
        other.m_capacity = 0;
    }
    return *this;
}

CString& CString::operator=(const char* text) {
    if (!text)
        Empty();
    else
        Assign(text, static_cast<int>(std::strlen(text)));
    return *this;
}

CString& CString::operator=(char ch) {
    Assign(&ch, 1);
    return *this;
}

CString& CString::operator+=(const CString& other) {
    if (this == &other) {
        CString copy(other);
        Append(copy.m_data, copy.m_length);
    } else {
        Append(other.m_data, other.m_length);
    }
    return *this;
}

CString& CString::operator+=(const char* text) {
    if (!text) return *this;
    if (text >= m_data && text <= m_data + m_length) {
        CString copy(text);
        Append(copy.m_data, copy.m_length);
    } else {
        Append(text, static_cast<int>(std::strlen(text)));
    }
    return *this;
}

CString& CString::operator+=(char ch) {
    Append(&ch, 1);
    return *this;
}

void CString::Empty() { Release(); }

int CString::Compare(const char* text) const { return std::strcmp(m_data, text ? text : ""); }

int CString::CompareNoCase(const char* text) const {
    // ASCII letters only, as the system's own comparison in the "C" locale.
    const unsigned char* a = reinterpret_cast<const unsigned char*>(m_data);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(text ? text : "");
    for (;; ++a, ++b) {
        int ca = (*a >= 'A' && *a <= 'Z') ? *a + 32 : *a;
        int cb = (*b >= 'A' && *b <= 'Z') ? *b + 32 : *b;
        if (ca != cb || ca == 0) return ca - cb;
    }
}

char* CString::GetBuffer(int minLength) {
    Reserve(minLength > m_length ? minLength : m_length);
    return m_data;
}

char* CString::GetBufferSetLength(int length) {
    if (length < 0) length = 0;
    Reserve(length);
    m_length = length;
    m_data[m_length] = 0;
    return m_data;
}

void CString::ReleaseBuffer(int newLength) {
    if (m_capacity == 0) return; // still the shared empty text
    if (newLength < 0) newLength = static_cast<int>(std::strlen(m_data));
    if (newLength > m_capacity) newLength = m_capacity;
    m_length = newLength;
    m_data[m_length] = 0;
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (needed < 0) {
        va_end(again);
        Empty();
        return;
    }
    CString result;
    result.Reserve(needed);
    std::vsnprintf(result.m_data, needed + 1, format, again);
    va_end(again);
    result.m_length = needed;
    *this = static_cast<CString&&>(result);
}

CString CString::Left(int count) const {
    if (count < 0) count = 0;
    if (count > m_length) count = m_length;
    return CString(m_data, count);
}

CString CString::Mid(int first, int count) const {
    if (first < 0) first = 0;
    if (first > m_length) first = m_length;
    if (count < 0 || count > m_length - first) count = m_length - first;
    return CString(m_data + first, count);
}

int CString::Find(char ch, int start) const {
    if (start < 0 || start >= m_length) return -1;
    const char* hit = static_cast<const char*>(std::memchr(m_data + start, ch, m_length - start));
    return hit ? static_cast<int>(hit - m_data) : -1;
}

int CString::Find(const char* text, int start) const {
    if (!text || start < 0 || start > m_length) return -1;
    const char* hit = std::strstr(m_data + start, text);
    return hit ? static_cast<int>(hit - m_data) : -1;
}

void CString::Assign(const char* text, int length) {
    if (length <= 0) {
        Empty();
        return;
    }
    if (length > m_capacity) {
        // The text may lie in the buffer that is about to go: it is copied
        // into the new one first.
        CString grown;
        grown.Reserve(length);
        std::memcpy(grown.m_data, text, length);
        grown.m_length = length;
        grown.m_data[length] = 0;
        *this = static_cast<CString&&>(grown);
        return;
    }
    // A text of our own buffer (itself, or a tail of it) stays where it is or
    // moves down within it: whoever still points at it reads it intact.
    std::memmove(m_data, text, length);
    m_length = length;
    m_data[m_length] = 0;
}

void CString::Append(const char* text, int length) {
    if (length <= 0) return;
    Reserve(m_length + length);
    std::memcpy(m_data + m_length, text, length);
    m_length += length;
    m_data[m_length] = 0;
}

void CString::Reserve(int capacity) {
    if (capacity <= m_capacity) return;
    int grown = m_capacity + m_capacity / 2;
    if (grown < capacity) grown = capacity;
    if (grown < 15) grown = 15;
    char* fresh = static_cast<char*>(std::malloc(grown + 1));
    if (!fresh) throw std::bad_alloc();
    std::memcpy(fresh, m_data, m_length + 1);
    int length = m_length;
    Release();
    m_data = fresh;
    m_capacity = grown;
    m_length = length;
}

void CString::Release() {
    if (m_capacity != 0) {
        SecureZeroMemory(m_data, m_capacity + 1);
        std::free(m_data);
    }
    m_data = g_emptyText;
    m_capacity = 0;
    m_length = 0;
}

CString operator+(const CString& a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(const CString& a, const char* b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(const char* a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(const CString& a, char b) {
    CString r(a);
    r += b;
    return r;
}
bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
bool operator!=(const CString& a, const char* b) { return a.Compare(b) != 0; }
bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
