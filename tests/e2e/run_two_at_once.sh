#!/usr/bin/env bash
# Two runs of an end-to-end test at once on one machine, as when two people
# or two CI jobs share it: each must find a display of its own and pass.
#     run_two_at_once.sh TEST_SCRIPT ARGS...
set -uo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$@" >"$work/first.log" 2>&1 &
first=$!
"$@" >"$work/second.log" 2>&1 &
second=$!
wait $first
first_status=$?
wait $second
second_status=$?
for run in first second; do
    echo "== $run run"
    cat "$work/$run.log"
done
# A skip of both is a skip; anything else must pass twice.
[ $first_status -eq 77 ] && [ $second_status -eq 77 ] && exit 77
[ $first_status -eq 0 ] && [ $second_status -eq 0 ]
