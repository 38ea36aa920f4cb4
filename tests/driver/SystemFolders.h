// Folders that differ between 32-bit and 64-bit Windows, asked of the system as
// the program asks: a 32-bit program on 64-bit Windows gets "Program Files (x86)".
#pragma once
#include <string>

// A shell folder (CSIDL_...) as this process sees it, without a trailing
// backslash; empty when the system has none.
std::string ShellFolder(int csidl);
std::string ProgramFilesFolder();
// Where the trading client is installed on a firm's machine.
std::string InstalledClientPath();
// True under Wine, where a few of Windows' own behaviours cannot be checked.
bool RunningUnderWine();
