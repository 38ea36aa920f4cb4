#!/usr/bin/env bash
# Formats every C and C++ source of the tree as .clang-format says, in place;
# the test StyleSourcesFollowClangFormat fails on any drift from it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
find app bench diag framework login res service settings standins supportlog systemlib tests ui vpn \
     -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print0 | xargs -0 /usr/bin/clang-format -i --style=file
