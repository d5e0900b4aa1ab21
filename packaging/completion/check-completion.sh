#!/bin/bash
# Checks the bash completion of marrowvale-sounds: check-completion.sh [SCRIPT [PROGRAM]]
# (default: the script beside this file). Needs the bash-completion package. Each case
# types a command line in a folder of sample files and compares what the completion
# offers; with PROGRAM, the options offered for each command are also compared with those
# "PROGRAM [COMMAND] --help" shows.
set -u
script=$(realpath "${1:-$(dirname "$0")/marrowvale-sounds}")
program=${2:+$(realpath "$2")}
# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion || exit 1
# shellcheck disable=SC1090
source "$script" || exit 1

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1
touch a.sel B.MUS c.svl d.wav E.FLAC f.mp3 g.opus m.json notes.txt
mkdir sub

failures=0
# expect LINE WORD...: the sorted offers for LINE, completed at its end.
expect() {
    local line=$1
    shift
    COMP_LINE=$line
    COMP_POINT=${#line}
    # The words as bash makes them: split at blanks, '=' a word of its own.
    local spaced=${line//=/ = }
    read -ra COMP_WORDS <<<"$spaced"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _marrowvale_sounds marrowvale-sounds "${COMP_WORDS[COMP_CWORD]}" \
        "${COMP_WORDS[COMP_CWORD - 1]}"
    local got want
    got=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | tr '\n' ' ')
    want=$(printf '%s\n' "$@" | LC_ALL=C sort | tr '\n' ' ')
    if [[ $got == "$want" ]]; then
        echo "ok: '$line'"
    else
        echo "FAILED: '$line': offered [$got], expected [$want]"
        failures=$((failures + 1))
    fi
}

packages=(B.MUS a.sel c.svl sub)
sounds=(E.FLAC d.wav f.mp3 g.opus sub)
expect 'marrowvale-sounds ' list extract pack replace check play
expect 'marrowvale-sounds --' --help --version
expect 'marrowvale-sounds p' pack play
expect 'marrowvale-sounds list ' "${packages[@]}"
expect 'marrowvale-sounds list --json a.sel ' "${packages[@]}"
expect 'marrowvale-sounds list -' -h --help --json
expect 'marrowvale-sounds check ' "${packages[@]}"
expect 'marrowvale-sounds extract --' --help --output --only --manifest
expect 'marrowvale-sounds extract -o ' sub
expect 'marrowvale-sounds extract --only 0,2 ' "${packages[@]}"
expect 'marrowvale-sounds pack ' "${packages[@]}"
expect 'marrowvale-sounds pack out.sel ' "${sounds[@]}"
expect 'marrowvale-sounds pack --rate 22050 --fast out.sel d.wav ' "${sounds[@]}"
expect 'marrowvale-sounds pack --manifest ' m.json sub
expect 'marrowvale-sounds pack --manifest m.json --from ' "${packages[@]}"
expect 'marrowvale-sounds pack --from=' "${packages[@]}"
expect 'marrowvale-sounds pack --manifest m.json out.sel '
expect 'marrowvale-sounds pack --' --help --manifest --from --rate --fast --json
expect 'marrowvale-sounds replace ' "${packages[@]}"
expect 'marrowvale-sounds replace a.sel '
expect 'marrowvale-sounds replace a.sel 1=' "${sounds[@]}"
expect 'marrowvale-sounds replace a.sel 1=d' d.wav
expect 'marrowvale-sounds replace --rate 22050 a.sel 0=d.wav 2=' "${sounds[@]}"
expect 'marrowvale-sounds replace -o ' "${packages[@]}"
expect 'marrowvale-sounds replace --' --help --output --in-place --rate --match-loudness --fast \
    --json
expect 'marrowvale-sounds play ' "${packages[@]}"
expect 'marrowvale-sounds play a.sel '

# The options in the "Options:" part of PROGRAM [COMMAND] --help.
help_options() {
    "$program" "$@" --help | awk '
        /^Options:/ { options = 1; next }
        /^[^ ]/ { options = 0 }
        options && /^  -/ { n = split($1, names, ","); for (i = 1; i <= n; i++) print names[i] }
    '
}

if [[ -n $program ]]; then
    mapfile -t shown < <(help_options)
    expect 'marrowvale-sounds -' "${shown[@]}"
    for command in list extract pack replace check play; do
        mapfile -t shown < <(help_options "$command")
        ((${#shown[@]})) || { echo "FAILED: no options read from $command --help"; failures=$((failures + 1)); }
        expect "marrowvale-sounds $command -" "${shown[@]}"
    done
fi

if ((failures)); then
    echo "check-completion: $failures case(s) failed" >&2
    exit 1
fi
