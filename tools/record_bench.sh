#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# How kolva-record keeps its schedule on this machine, on the simulated card:
# a 60 s recording at 0.0001 s, then 10 s recordings at shorter and shorter
# intervals, without and with --png; each prints the run's timing line.
#   bash tools/record_bench.sh [BUILD_DIR]      (default build)
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
KOLVA_CARD=sim "$build/probe/probecard"
printf '0\r\n0\r\n0.001\r\n0.1\r\nfalse\r\ntrue\r\nfalse\r\nfalse\r\n' >konfig.txt
printf '0\r\n0\r\n1\r\n1\r\n366.2109375\r\n3906.25\r\n' >korekcje.txt
export KOLVA_CARD=sim,in1=sine:500mV:1Hz,in2=triangle:300mV:0.5Hz
record() {
  echo -n "$* : "
  "$build/tools/kolva-record" --trigger off "$@" 2>&1 >/dev/null | tail -1
}
record --interval 0.0001 --length 1 out.txt
for interval in 0.001 0.0005 0.0002 0.0001 0.00005 0.00002 0.00001; do
  record --interval "$interval" --length 0.16666667 out.txt
  record --interval "$interval" --length 0.16666667 --png out.png out.txt
done
