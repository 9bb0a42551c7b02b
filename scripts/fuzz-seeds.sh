#!/bin/sh
# Builds every fuzz target with clang, in a folder of its own that holds nothing else, and runs
# each one for a few seconds from its seed corpus (copied, so that the seeds stay as they are): a
# target that no longer builds or links, or that fails on a seed, fails here. A fuzz target that
# has no corpus in the table below fails too, so that every target is run.
#   FUZZ_BUILD_DIR (build-fuzz), FUZZ_SECONDS (5 a target), JOBS (8)
set -e
cd "$(dirname "$0")/.."
DIR=${FUZZ_BUILD_DIR:-build-fuzz}
SECONDS_EACH=${FUZZ_SECONDS:-5}
JOBS=${JOBS:-8}
start=$(date +%s)

CORPORA="
archive_fuzz platform/base/fuzz/corpus
reply_fuzz platform/net/fuzz/corpus
rtf_fuzz platform/gui/fuzz/corpus-rtf
wave_fuzz res/app/Sound
csv_fuzz core/fuzz/corpus
document_fuzz core/fuzz/corpus-document
stringlist_fuzz core/fuzz/corpus-stringlist
date_fuzz core/fuzz/corpus-date
sender_fuzz sms/fuzz/corpus
minidb_fuzz mail/fuzz/corpus-minidb
mailrecord_fuzz mail/fuzz/corpus-mailrecord
smtp_dialogue_fuzz mail/fuzz/corpus-smtp
addressbook_fuzz contacts/fuzz/corpus
csv_import_fuzz contacts/fuzz/corpus-csv
ecard_reply_fuzz ecard/fuzz/corpus-reply
ecard_user_fuzz ecard/fuzz/corpus-user
instant_message_fuzz links/fuzz/corpus
received_sms_fuzz links/fuzz/received-sms-corpus
schedule_fuzz calendar/fuzz/corpus-schedule
festival_fuzz res/app/Calendar/Festivals
notebook_fuzz notes/fuzz/corpus-notebook
info_fuzz res/app/info
"

CXX=clang++ CC=clang cmake -S . -B "$DIR" -G Ninja -DQUILLMAR_FUZZ=ON >/dev/null
targets=$(ninja -C "$DIR" -t targets all | sed -n 's/^\([a-z0-9_]*_fuzz\): phony$/\1/p' | grep -v '^cmake_' | sort -u)
for t in $targets; do
    if ! echo "$CORPORA" | grep -q "^$t "; then
        echo "fuzz target $t has no seed corpus in $0" >&2
        exit 1
    fi
done
# shellcheck disable=SC2086
cmake --build "$DIR" -j "$JOBS" --target $targets
built=$(date +%s)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for t in $targets; do
    corpus=$(echo "$CORPORA" | sed -n "s/^$t //p")
    binary=$(find "$DIR" -type f -name "$t" -perm -u+x | head -n 1)
    mkdir -p "$work/$t"
    cp -R "$corpus/." "$work/$t/"
    if ! "$binary" "$work/$t" -max_total_time="$SECONDS_EACH" -timeout=10 -max_len=1048576 \
        -rss_limit_mb=4096 -print_final_stats=0 >"$work/$t.log" 2>&1; then
        tail -n 40 "$work/$t.log" >&2
        echo "fuzz target $t failed" >&2
        exit 1
    fi
    echo "fuzz target $t: ran from $(ls "$corpus" | wc -l) seeds"
done
end=$(date +%s)
echo "fuzz targets: built in $((built - start)) s, ran in $((end - built)) s"
