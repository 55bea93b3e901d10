#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A kolva-record --png run on the simulated card at 1 us between samples
# (about a million readings a second) inside a memory cgroup: its exit
# status, the readings in its results file against those the summary
# counts, and the cgroup's peak memory. Needs root; cgroup v2 or v1 as in
# bench/png_from_cgroup.sh.
#   bash bench/png_run_cgroup.sh [BUILD_DIR [MINUTES [LIMIT]]]
# defaults: build, 0.4 minutes, 512M.
set -euo pipefail
build=$(realpath "${1:-build}")
minutes=${2:-0.4}
limit=${3:-512M}
work=$(mktemp -d /var/tmp/kolva-run-XXXXXX)
group=""
cleanup() {
  [[ -n "$group" && -d "$group" ]] && rmdir "$group"
  rm -rf "$work"
}
trap cleanup EXIT

if [[ -f /sys/fs/cgroup/cgroup.controllers ]] && grep -qw memory /sys/fs/cgroup/cgroup.controllers
then
  group=/sys/fs/cgroup/kolva-run-test
  mkdir "$group"
  echo "$limit" >"$group/memory.max"
  peak_file=memory.peak
  events=memory.events
else
  own=$(awk -F: '$2 ~ /(^|,)memory(,|$)/ {print $3}' /proc/self/cgroup)
  group=/sys/fs/cgroup/memory${own%/}/kolva-run-test
  mkdir "$group"
  echo "$limit" >"$group/memory.limit_in_bytes"
  peak_file=memory.max_usage_in_bytes
  events=memory.oom_control
fi
echo "cgroup $group, limit $limit"

cd "$work"
printf '$D800\r\n' >bar.txt
printf '0\r\n0\r\n0.01\r\n0.005\r\nfalse\r\ntrue\r\nfalse\r\ntrue\r\n' >konfig.txt
printf '0\r\n0\r\n1\r\n1\r\n366.2109375\r\n3906.25\r\n' >korekcje.txt
status=0
(
  echo "$BASHPID" >"$group/cgroup.procs"
  exec env KOLVA_CARD=sim "$build/tools/kolva-record" --interval 0.000001 --length "$minutes" \
    --average 1 --png run.png results.txt 2>stderr.txt
) || status=$?
echo "exit status $status"
sed 's/^/  /' stderr.txt
echo "readings in the results file: $(($(wc -l <results.txt) - 11))"
echo "peak memory of the cgroup $(($(cat "$group/$peak_file") / 1048576)) MiB (page cache included)"
grep oom_kill "$group/$events" | sed 's/^/  /'
