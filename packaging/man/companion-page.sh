#!/bin/sh
# Makes the manual page of the companion, or of one of its commands, with help2man from
# what the program prints for --help and --version:
#   companion-page.sh PROGRAM COMMAND INCLUDE OUTPUT
# COMMAND is "-" for the companion's own page (marrowvale-sounds.1), else the command's
# page is PROGRAM-COMMAND.1 (marrowvale-sounds-list.1). INCLUDE is a help2man include
# file (sections added to the page); OUTPUT is the page compressed with gzip -9n. The
# page's date is that of SOURCE_DATE_EPOCH when it is set.
#
# help2man runs this script again as "companion-page.sh --text PROGRAM COMMAND OPTION" to
# read the text of --help or --version. That text is the program's own, with each line
# after the options a paragraph of its own (as the terminal shows them), the
# "Subcommands:" list a section, and "Exit status: ..." the section EXIT STATUS; its
# --version line carries the page's name.
set -eu

help_text() {
    # shellcheck disable=SC2086
    "$1" $2 --help | awk '
        /^Options:/ { options = 1 }
        options && /^$/ { tail = 1 }
        tail && /^Exit status: / {
            print ""; print "*Exit status*"; sub(/^Exit status: /, ""); print; text = 1; next
        }
        tail && /^[A-Z][a-z]*:$/ { sub(/:$/, ""); print "*" $0 "*"; text = 0; next }
        tail && /^[^ ]/ && text { print "" }
        { print; text = tail && /^[^ ]/ }
    '
}

if [ "${1-}" = --text ]; then
    program=$2 command=$3 option=$4
    [ "$command" = - ] && command=
    case $option in
    --help) help_text "$program" "$command" ;;
    --version)
        if [ -n "$command" ]; then
            "$program" --version | sed "1s/^\([^ ]*\) /\1-$command /"
        else
            "$program" --version
        fi
        ;;
    *) exit 2 ;;
    esac
    exit 0
fi

[ $# -eq 4 ] || { echo "usage: $0 PROGRAM COMMAND INCLUDE OUTPUT" >&2; exit 2; }
program=$1 command=$2 include=$3 output=$4
self=$(realpath "$0")
[ "$command" = - ] && words= || words=$command

# The NAME line: the first line of --help up to a colon, without its full stop, starting
# in lower case ("List the records of sample packages." -> "list the records of ...").
# shellcheck disable=SC2086
name=$("$program" $words --help | sed -n '1{s/:.*//;s/\.$//;p;q}')
first=$(printf '%s' "$name" | cut -c1 | tr '[:upper:]' '[:lower:]')
name=$first$(printf '%s' "$name" | cut -c2-)

page=${output%.gz}
help2man --no-info --no-discard-stderr --section=1 --name="$name" --include="$include" \
    --output="$page" "'$self' --text '$program' '$command'"
gzip -9nf "$page"
