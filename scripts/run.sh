#!/bin/sh
# Builds the program (installing what is missing) and starts it.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target marrowvale-sound-decoder
exec build/app/marrowvale-sound-decoder
