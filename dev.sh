#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# One entry point for a fresh Debian 12 clone:
#   bash dev.sh test   install what is missing, build, run every test
#   bash dev.sh run    install what is missing, build kolva and probecard, start kolva
#                      on the simulated card
#   bash dev.sh build  install what is missing and build
#   bash dev.sh fuzz [seconds]  build the libFuzzer targets (clang, address and
#                      undefined sanitizers) in build-fuzz and run each for
#                      the given seconds (default 60) from its seed corpus
#   bash dev.sh package  install what is missing, build, and make the Debian
#                      package <build>/kolva_<version>_amd64.deb with CPack
#   bash dev.sh tsan   build the Qt-free core (platform, app, chart) with
#                      ThreadSanitizer in build-tsan and run the tests of its
#                      threaded parts; any report fails them
# Environment: BUILD_DIR (default build), KOLVA_SANITIZE=ON for an
# address+undefined sanitizer build.
set -euo pipefail
cd "$(dirname "$0")"
top=$PWD

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libxkbcommon-dev
          libgtest-dev libgmock-dev libbenchmark-dev libcap-dev libcap2-bin libxcb1-dev
          xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core locales)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "dev.sh: installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Builds everything, or only the targets given (build --target NAME...).
build() {
  local dir=${BUILD_DIR:-build}
  cmake -S "$top" -B "$dir" -G Ninja -DKOLVA_SANITIZE="${KOLVA_SANITIZE:-OFF}" >/dev/null
  cmake --build "$dir" --parallel "$(nproc)" "$@"
}

# Each fuzz target grows its corpus in build-fuzz; the seeds in fuzz/corpus
# stay as committed. A crash stops the run with the target's report and the
# input that caused it.
fuzz() {
  local seconds=${1:-60} dir=build-fuzz
  CXX=clang++-14 cmake -S "$top" -B "$dir" -G Ninja -DKOLVA_FUZZ=ON -DKOLVA_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$dir" --parallel "$(nproc)" --target fuzz_targets
  for target in conversions startup card_options run; do
    mkdir -p "$dir/corpus/$target"
    echo "dev.sh: fuzzing $target for ${seconds} s"
    (cd "$dir" && "./fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 "corpus/$target" "$top/fuzz/corpus/$target" 2>"fuzz-$target.log") || {
      tail -n 60 "$dir/fuzz-$target.log"
      return 1
    }
    grep -E '^stat::number_of_executed_units|^Done' "$dir/fuzz-$target.log" || true
  done
}

# The tests whose code runs on more than one thread, or hands data between
# threads: the sampler and the run loop, the reading queue, the results
# reader and lines, the chart's min/max summary and its columns in files
# (written by a thread of their own).
tsan_tests=(app_run_sampler_idle_test app_run_sampler_restart_test app_run_acquisition_run_test
            app_run_acquisition_run_click_test app_run_acquisition_run_failure_test
            app_run_reading_queue_test app_files_results_reader_test app_files_results_lines_test
            chart_min_max_summary_test chart_spill_file_test)

tsan() {
  local dir=build-tsan
  cmake -S "$top" -B "$dir" -G Ninja -DKOLVA_TSAN=ON -DKOLVA_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
  cmake --build "$dir" --parallel "$(nproc)" --target "${tsan_tests[@]}"
  local pattern
  pattern="^($(IFS='|'; echo "${tsan_tests[*]}"))\$"
  ctest --test-dir "$dir" --output-on-failure --no-tests=error --parallel "$(nproc)" -R "$pattern"
}

case "${1:-}" in
  build)
    install_missing
    build
    ;;
  test)
    install_missing
    build
    QT_QPA_PLATFORM=offscreen ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure \
      --parallel "$(nproc)"
    ;;
  package)
    # dpkg-shlibdeps computes the dependencies; the check script validates
    # the desktop entry.
    packages+=(dpkg-dev desktop-file-utils)
    install_missing
    build
    dir=${BUILD_DIR:-build}
    rm -f "$dir"/kolva_*.deb
    (cd "$dir" && cpack -G DEB)
    ;;
  run)
    # Faces of the widths the main window's layout was drawn with.
    packages+=(fonts-liberation)
    install_missing
    # Only what it starts: the window and the probe it runs.
    build --target kolva probecard
    bin=$(realpath "${BUILD_DIR:-build}")/app/ui
    # A demo working folder: bar.txt from the probe, the operator's konfig.txt
    # (kept once written), and a korekcje.txt whose scales turn the simulated
    # card's counts into true millivolts (750 mV and 8000 mV per 2048 counts).
    mkdir -p demo && cd demo
    sep=$(locale decimal_point 2>/dev/null || echo .)
    [ -n "$sep" ] || sep=.
    rm -f bar.txt
    KOLVA_CARD=sim "$bin/probecard"
    [ -f konfig.txt ] ||
      printf '0\r\n0\r\n0%s001\r\n0%s1\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\n' "$sep" "$sep" >konfig.txt
    printf '0\r\n0\r\n1\r\n1\r\n366%s2109375\r\n3906%s25\r\n' "$sep" "$sep" >korekcje.txt
    # A sine on input 1, a triangle on input 2, a trigger toggling every 2 s.
    export KOLVA_CARD=sim,in1=sine:500mV:0.2Hz,in2=triangle:300mV:0.1Hz:-100mV,trigger=square:4s
    exec "$bin/kolva"
    ;;
  tsan)
    packages+=(ccache)
    install_missing
    tsan
    ;;
  fuzz)
    packages+=(clang-14 libclang-rt-14-dev)
    install_missing
    fuzz "${2:-60}"
    ;;
  *)
    echo "usage: bash dev.sh test|run|build|package|tsan|fuzz [seconds]" >&2
    exit 2
    ;;
esac
