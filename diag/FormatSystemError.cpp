#include "FormatSystemError.h"

void FormatSystemError(DWORD code, CString& text)
{
    char* message = NULL;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  NULL, code, 0, reinterpret_cast<char*>(&message), 0, NULL);
    if (length == 0)
        return;
    text = message;
    LocalFree(message);
}
