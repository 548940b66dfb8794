#!/bin/sh
# Regenerates the program's icons in assets/icons/ from tools/make_icons.cpp.
set -e
cd "$(dirname "$0")/.."
g++ -O2 -std=c++20 -o /tmp/make_icons tools/make_icons.cpp -lpng
mkdir -p assets/icons
/tmp/make_icons assets/icons
