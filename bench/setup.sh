#!/bin/sh
# Installs the tools that bench/compare.sh measures the companion against (ffmpeg and
# sox), and nothing when both are there. Benchmark only: neither the program nor its
# tests need them, so scripts/setup.sh does not install ffmpeg.
set -eu

PACKAGES="
ffmpeg
sox
"

missing=""
for pkg in $PACKAGES; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    case "$status" in
    *"ok installed") ;;
    *) missing="$missing $pkg" ;;
    esac
done

[ -z "$missing" ] && exit 0

echo "bench setup: installing$missing" >&2
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq </dev/null >/dev/null
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing </dev/null >/dev/null
