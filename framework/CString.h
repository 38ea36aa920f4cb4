#pragma once
// Growable single-byte text, the framework's string. Unlike the original it
// shares no buffers between copies: every object owns its characters, so that
// wiping one (a password) never touches another.
#include <windows.h>

class CString {
public:
    CString();
    CString(const CString& other);
    CString(CString&& other) noexcept;
    CString(const char* text);
    CString(const char* text, int length);
    CString(char ch, int repeat = 1);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* text);
    CString& operator=(char ch);
    CString& operator+=(const CString& other);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);

    operator const char*() const { return m_data; }
    const char* GetString() const { return m_data; }
    int GetLength() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }
    // Releases the characters; the memory is cleared before it goes back to the heap.
    void Empty();
    char GetAt(int index) const { return m_data[index]; }
    char operator[](int index) const { return m_data[index]; }
    void SetAt(int index, char ch) { m_data[index] = ch; }

    int Compare(const char* text) const;
    int CompareNoCase(const char* text) const;

    // Direct access for platform calls that fill a buffer: at least minLength
    // characters plus the NUL. ReleaseBuffer(-1) takes the length up to the NUL.
    char* GetBuffer(int minLength = 0);
    char* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    void Format(const char* format, ...);
    CString Left(int count) const;
    CString Mid(int first, int count = -1) const;
    int Find(char ch, int start = 0) const;
    int Find(const char* text, int start = 0) const;

private:
    void Assign(const char* text, int length);
    void Append(const char* text, int length);
    void Reserve(int capacity);
    void Release();

    char* m_data;
    int m_length;
    int m_capacity; // characters the buffer holds besides its NUL; 0 for the shared empty text
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);
bool operator==(const CString& a, const char* b);
bool operator==(const char* a, const CString& b);
bool operator==(const CString& a, const CString& b);
bool operator!=(const CString& a, const char* b);
bool operator!=(const CString& a, const CString& b);
