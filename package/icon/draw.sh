#!/usr/bin/env bash
# Redraws package/icon.png from draw_icon.cpp (needs g++ and libcairo2-dev, both in ./dev's list).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
g++ -std=c++20 -O2 -Wall -Wextra "$here/draw_icon.cpp" -o "$tmp/draw_icon" $(pkg-config --cflags --libs cairo)
"$tmp/draw_icon" "$here/../icon.png"
