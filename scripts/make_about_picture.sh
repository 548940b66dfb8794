#!/bin/sh
# Regenerates assets/about.jpg from tools/make_about_picture.cpp.
set -e
cd "$(dirname "$0")/.."
g++ -O2 -o /tmp/make_about_picture tools/make_about_picture.cpp -ljpeg
/tmp/make_about_picture assets/about.jpg
