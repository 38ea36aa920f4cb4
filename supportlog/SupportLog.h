#pragma once
// The support log for the help desk: QuillmarshVPN.log in "Quillmarsh VPN" under
// the user's local application data folder, one line per step, each with the
// local time to the millisecond and the side that wrote it (dialog or worker).
//
// Writing it never changes what the program does: a folder that cannot be made,
// a file that cannot be opened or written, leave the line out and nothing else.
// Never give it a password, in any form.
//
// Every part of the program may write to it; it depends on no other part.
#include <windows.h>

namespace SupportLog {

// Once, at the program's start, on the dialog's thread: lines written on this
// thread say "dialog", all others "worker". The folder and the file are found
// on a thread of its own once a worker writes, or at Close (the idle dialog
// never loads the shell); lines written before wait in memory and go to the file
// first. A file over 1 MiB becomes QuillmarshVPN.log.1 and a new one begins.
void Open();

// Where a log other than the program's goes: the route service keeps its own
// under the common application data folder, in a folder only administrators
// may change. Strings must outlive the log.
struct Place {
    int folder;                // CSIDL of the folder the log's folder lies in
    const char* folderName;    // "\\Name"
    const char* fileName;      // "\\Name.log"
    const char* rotationMutex; // held while a writer rotates the file
    const char* openingSide;   // what lines from the thread that called Open say
    const char* otherSide;     // what all other lines say
    bool adminOnlyFolder;      // the folder's access is set to administrators' alone
};
void Open(const Place& place);

// One line, printf-style, without its line break. Line breaks and other
// control characters in it are written as \r, \n, \t, \xNN, so that a text the
// user saw stays one line, word for word. Nothing happens before Open().
void Write(const char* format, ...) __attribute__((format(printf, 1, 2)));

// At the program's end: closes the file. Later lines are left out.
void Close();

// The file's full path (MAX_PATH characters), for the user to open it; false
// when the folder cannot be found.
bool FilePath(char* path);

} // namespace SupportLog
