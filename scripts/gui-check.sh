#!/bin/sh
# The window as a user drives it, with real input on a virtual screen: decodes PACKAGE
# through the open dialog, saves the samples at ROWS (default "0 3") into OUT/saved, and
# takes screenshots along the way (OUT/*.png). With EXPECTED (a folder of WAV files named
# as the list shows the samples), every saved file is compared with its namesake there.
# Not part of the tests: back-to-back X clients fail to connect now and then.
#   scripts/gui-check.sh PACKAGE OUT [EXPECTED] [ROWS]
set -eu
[ $# -ge 2 ] || { echo "usage: $0 PACKAGE OUT [EXPECTED] [ROWS]" >&2; exit 2; }
cd "$(dirname "$0")/.."
scripts/setup.sh xdotool imagemagick
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target marrowvale-sound-decoder >/dev/null
package=$(realpath "$1")
mkdir -p "$2/saved" "$2/home"
out=$(realpath "$2")
expected=${3:+$(realpath "$3")}
rows=${4:-"0 3"}
export PACKAGE="$package" OUT="$out" ROWS="$rows"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    HOME=$OUT/home build/app/marrowvale-sound-decoder 2>/dev/null &
    pid=$!
    sleep 2
    wid=$(xdotool search --name "Marrowvale Sound Decoder V0.12" | head -1)
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    import -window root "$OUT/1-start.png"
    xdotool mousemove $((X + 290)) $((Y + 24)) click 1       # Decode sample package...
    sleep 2
    xdotool type --delay 20 "$PACKAGE"
    xdotool key Return
    sleep 2
    import -window root "$OUT/2-decoded.png"
    for row in $ROWS; do
        xdotool mousemove $((X + 60)) $((Y + 17)) click 1    # row 0 of the list
        for _ in $(seq "$row"); do xdotool key Down; done
        xdotool mousemove $((X + 290)) $((Y + 247)) click 1  # Save sample as WAV...
        sleep 2
        name=$(basename "$PACKAGE").$(printf %03d "$row").WAV
        xdotool key ctrl+a
        xdotool type --delay 20 "$OUT/saved/$name"
        xdotool key Return
        sleep 1
    done
    import -window root "$OUT/3-saved.png"
    kill $pid
'
status=0
if [ -n "$expected" ]; then
    for f in "$out"/saved/*.WAV; do
        if cmp -s "$f" "$expected/$(basename "$f")"; then
            echo "same: $(basename "$f")"
        else
            echo "DIFFERENT: $(basename "$f")"
            status=1
        fi
    done
fi
ls "$out"/*.png
exit $status
