#!/bin/sh
# Runs the companion's examples of the README as written, in a fresh folder holding a
# copy of the example package; every one must succeed.
#   readme_examples.sh README TOOL EXAMPLE_PACKAGE
set -eu
readme=$1
tool_dir=$(dirname "$2")
example=$3
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cp "$example" "$folder/examples.sel"
cd "$folder"
PATH="$tool_dir:$PATH"
export SDL_AUDIODRIVER=dummy
# The indented lines that start with the command, without their comments.
grep '^    marrowvale-sounds ' "$readme" | sed 's/  *#.*$//' > commands
[ -s commands ] || { echo "no examples found in $readme" >&2; exit 1; }
while IFS= read -r command; do
    echo "\$ $command"
    sh -c "$command" >/dev/null || { echo "failed: $command" >&2; exit 1; }
done < commands
