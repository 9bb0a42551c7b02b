#!/bin/sh
# The window benchmarks of the address book and the group list, run briefly as a person would
# run them (no folders chosen for them), leave that person's home folder as it was: they keep
# their settings and data in a temporary folder, as the tests do.
#   bench_folders.sh <build folder>
set -e
BUILD=$1
cmake --build "$BUILD" --target bench_group_list bench_contacts_tree >/dev/null
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# The font caches stay where they are: they are the system's, not the program's.
cache=${XDG_CACHE_HOME:-$HOME/.cache}
for run in "ui/bench_group_list 50" "contacts/ui/bench_contacts_tree 1000"; do
    set -- $run
    program="$BUILD/$1"
    shift
    env -u QUILLMAR_HOME -u QUILLMAR_CONFIG -u XDG_DATA_HOME -u XDG_CONFIG_HOME \
        HOME="$home" XDG_CACHE_HOME="$cache" QT_QPA_PLATFORM=offscreen "$program" "$@" >/dev/null
    left=$(find "$home" -mindepth 1 | head -n 5)
    if [ -n "$left" ]; then
        echo "$program wrote into the home folder:" >&2
        echo "$left" >&2
        exit 1
    fi
done
