#!/bin/sh
# Builds the Debian package build-package/marrowvale-sound-decoder_<version>_<arch>.deb
# (installing what is missing): a Release build with Debian's build flags in its own
# folder, packed by CPack from the install rules, then checked: lintian (no error, no
# warning), the AppStream metadata (appstreamcli), the desktop entry
# (desktop-file-validate), the manual pages (as lintian reads them), the bash completion
# against the companion's --help, and stripped binaries.
#   scripts/package.sh [--install-check]
# --install-check then also installs the package with apt-get, runs both programs from it
# and removes it again (not when the package is already installed).
set -eu
cd "$(dirname "$0")/.."
install_check=
case "${1-}" in
"") ;;
--install-check) install_check=yes ;;
*) echo "usage: $0 [--install-check]" >&2; exit 2 ;;
esac

scripts/setup.sh help2man librsvg2-bin lintian appstream desktop-file-utils dpkg-dev file \
    man-db bash-completion
build=build-package
jobs=$(nproc)

echo "== build" >&2
# Debian's build flags, all hardening on.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DMV_PACKAGE=ON -DMV_BUILD_TESTS=OFF -DMV_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j "$jobs"

echo "== package" >&2
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/*.deb)
echo "$deb" >&2
dpkg-deb --field "$deb"

echo "== checks" >&2
contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb --extract "$deb" "$contents"
status=0
fail() {
    echo "package: $*" >&2
    status=1
}

lintian --fail-on error,warning --display-info "$deb" || fail "lintian found errors or warnings"

metainfo=$contents/usr/share/metainfo/org.mvdecoder.SoundDecoder.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli: $metainfo"

desktop=$contents/usr/share/applications/org.mvdecoder.SoundDecoder.desktop
messages=$(desktop-file-validate "$desktop" 2>&1) || true
[ -z "$messages" ] || fail "desktop-file-validate: $messages"

for page in "$contents"/usr/share/man/man1/*.1.gz; do
    messages=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 \
        >/dev/null) || fail "man: cannot format $page"
    [ -z "$messages" ] || fail "man: $page: $messages"
done

packaging/completion/check-completion.sh \
    "$contents"/usr/share/bash-completion/completions/marrowvale-sounds \
    "$build"/tools/marrowvale-sounds >/dev/null || fail "bash completion"

for program in marrowvale-sound-decoder marrowvale-sounds; do
    file "$contents/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
done

echo "== contents" >&2
dpkg-deb --contents "$deb" | awk '{ print $1, $3, $6 }'

if [ -n "$install_check" ]; then
    echo "== install check" >&2
    if dpkg-query -W -f='${Status}' marrowvale-sound-decoder 2>/dev/null | grep -q 'ok installed'; then
        echo "package: marrowvale-sound-decoder is installed already: no install check" >&2
    else
        [ "$(id -u)" -eq 0 ] && SUDO="" || SUDO="sudo"
        $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" </dev/null \
            >/dev/null
        marrowvale-sounds --version || fail "marrowvale-sounds --version"
        marrowvale-sounds --help >/dev/null || fail "marrowvale-sounds --help"
        ! ldd /usr/bin/marrowvale-sound-decoder /usr/bin/marrowvale-sounds | grep 'not found' ||
            fail "a library is missing"
        # The companion reads the example package the package installs.
        marrowvale-sounds check /usr/share/marrowvale-sound-decoder/examples/examples.sel ||
            fail "marrowvale-sounds check of the example package"
        dpkg -L marrowvale-sound-decoder
        $SUDO env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq marrowvale-sound-decoder \
            </dev/null >/dev/null
        ! dpkg-query -W -f='${Status}' marrowvale-sound-decoder 2>/dev/null |
            grep -q 'ok installed' || fail "apt-get remove left the package installed"
    fi
fi

[ "$status" -eq 0 ] && echo "== $deb: all checks passed" >&2
exit "$status"
