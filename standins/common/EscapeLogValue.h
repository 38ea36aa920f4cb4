#pragma once
// The stand-ins' logs are one line per event of tab-separated key=value pairs:
// a value keeps backslash, tab, CR, LF and other control characters as escapes
// (\\ \t \r \n \xNN) so that a test can split the line safely.
#include <string>

std::string EscapeLogValue(const std::string& value);
