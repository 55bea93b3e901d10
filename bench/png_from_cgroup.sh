#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# kolva-record --png --from a long results file, once without a memory
# limit and once inside a memory cgroup: both times, the peak memory of
# each, and whether the two pictures are the same bytes. Needs root (the
# cgroup); the file is written first when missing and removed at the end
# unless it was there before.
#   bash bench/png_from_cgroup.sh [BUILD_DIR [READINGS [FILE [LIMIT]]]]
# defaults: build, 100000000 readings (about 6 GB), /var/tmp/kolva-from.txt,
# 512M. The chart's temporary files go where kolva's go (KOLVA_SPILL_DIR,
# TMPDIR, /var/tmp).
set -euo pipefail
build=$(realpath "${1:-build}")
readings=${2:-100000000}
file=${3:-/var/tmp/kolva-from.txt}
limit=${4:-512M}
work=$(mktemp -d)
made=""
group=""
cleanup() {
  [[ -n "$group" && -d "$group" ]] && rmdir "$group"
  [[ -n "$made" ]] && rm -f "$file"
  rm -rf "$work"
}
trap cleanup EXIT

if [[ ! -e "$file" ]]; then
  echo "writing $readings readings to $file"
  made=1
  "$build/bench/results_file_tool" "$readings" "$file"
fi
echo "$file: $(stat -c %s "$file") bytes"

# cgroup v2 where the unified hierarchy has the memory controller, else
# v1's memory hierarchy, below the cgroup this shell is in.
if [[ -f /sys/fs/cgroup/cgroup.controllers ]] && grep -qw memory /sys/fs/cgroup/cgroup.controllers
then
  group=/sys/fs/cgroup/kolva-test
  mkdir "$group"
  echo "$limit" >"$group/memory.max"
  peak_file=memory.peak
else
  own=$(awk -F: '$2 ~ /(^|,)memory(,|$)/ {print $3}' /proc/self/cgroup)
  group=/sys/fs/cgroup/memory${own%/}/kolva-test
  mkdir "$group"
  echo "$limit" >"$group/memory.limit_in_bytes"
  peak_file=memory.max_usage_in_bytes
fi
echo "cgroup $group, limit $limit"

# Runs kolva-record --png --from on the file; prints the seconds, the exit
# status and the process's peak resident set.
draw() {
  local picture=$1 start end status=0
  start=$(date +%s.%N)
  /usr/bin/time -f "%M" -o "$work/rss" \
    "$build/tools/kolva-record" --png "$picture" --from "$file" || status=$?
  end=$(date +%s.%N)
  echo "$(echo "$end - $start" | bc) s, exit status $status," \
    "peak resident set $(($(tail -1 "$work/rss") / 1024)) MiB"
}

echo -n "unlimited:  "
draw "$work/free.png"
echo -n "in cgroup:  "
(
  echo "$BASHPID" >"$group/cgroup.procs"
  draw "$work/limited.png"
)
echo "            peak memory of the cgroup $(($(cat "$group/$peak_file") / 1048576)) MiB" \
  "(page cache included)"
if [[ -f "$group/memory.oom_control" ]]; then
  grep oom_kill "$group/memory.oom_control" | sed 's/^/            /'
elif [[ -f "$group/memory.events" ]]; then
  grep oom_kill "$group/memory.events" | sed 's/^/            /'
fi
if cmp -s "$work/free.png" "$work/limited.png"; then
  echo "pictures: the same bytes"
else
  echo "pictures: DIFFER"
  exit 1
fi
