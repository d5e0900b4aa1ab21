#!/bin/sh
# Builds the program and its command-line companion (installing what is missing) and
# starts the program.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target marrowvale-sound-decoder marrowvale-sounds
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run: no display to open the window on. On a machine without one, start it on a" >&2
    echo "     virtual screen: xvfb-run -a ./scripts/run.sh (xvfb is installed by the setup)," >&2
    echo "     or use the command-line companion: build/tools/marrowvale-sounds --help" >&2
    exit 1
fi
exec build/app/marrowvale-sound-decoder
