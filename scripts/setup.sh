#!/bin/sh
# Installs every Debian package the project needs, and nothing when all is there; extra
# package names given as arguments are installed too (tools for benchmarks or checks by
# hand, which neither the program nor its tests need).
# Non-interactive: safe to run with no standard input (CI).
set -eu

PACKAGES="
build-essential
cmake
ninja-build
pkg-config
qt6-base-dev
libsdl2-dev
libgtest-dev
libgmock-dev
libbenchmark-dev
libcli11-dev
nlohmann-json3-dev
libsndfile1-dev
libsoxr-dev
libebur128-dev
clang
libclang-rt-14-dev
clang-format
xvfb
xauth
espeak-ng
sox
"

missing=""
for pkg in $PACKAGES "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    case "$status" in
    *"ok installed") ;;
    *) missing="$missing $pkg" ;;
    esac
done

[ -z "$missing" ] && exit 0

echo "setup: installing$missing" >&2
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq </dev/null >/dev/null
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing </dev/null >/dev/null
