#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks a built Debian package without installing it:
#   bash packaging/check-package.sh build/kolva_<version>_amd64.deb
# its control fields and maintainer scripts, its file list, and then the
# programs unpacked into a scratch root: no run path into a build folder,
# every library found on the system, kolva-record's --help and --version, a
# short recording on the simulated card, and kolva started from the desktop
# entry's command finding the unpacked probecard beside it.
set -euo pipefail
deb=$(realpath "${1:?usage: check-package.sh PACKAGE.deb}")
top=$(cd "$(dirname "$0")/.." && pwd)
failures=0
passes=0

pass() { passes=$((passes + 1)); }
fail() {
  echo "check-package: FAIL: $*" >&2
  failures=$((failures + 1))
}
expect() {  # expect DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then pass; else fail "$what"; fi
}

version=$(sed -n 's/^project(Kolva VERSION \([0-9.]*\) .*/\1/p' "$top/CMakeLists.txt")
[ -n "$version" ] || { echo "check-package: no version in CMakeLists.txt" >&2; exit 1; }
arch=$(dpkg --print-architecture)
expect "file name is kolva_${version}_${arch}.deb" [ "$(basename "$deb")" = "kolva_${version}_${arch}.deb" ]

scratch=$(mktemp -d)
kolva_pid=""
cleanup() {
  [ -z "$kolva_pid" ] || kill "$kolva_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
expect "Package is kolva" [ "$(field Package)" = kolva ]
expect "Version is $version" [ "$(field Version)" = "$version" ]
expect "Architecture is $arch" [ "$(field Architecture)" = "$arch" ]
expect "Section is science" [ "$(field Section)" = science ]
expect "Maintainer is set" [ -n "$(field Maintainer)" ]
expect "Description has a summary and a long text" [ "$(field Description | wc -l)" -ge 3 ]
depends=$(field Depends | sed 's/ ([^)]*)//g; s/, */\n/g')
for lib in libc6 libqt6widgets6 libqt6gui6 libqt6core6 libcap2 libcap2-bin fonts-liberation libstdc++6; do
  expect "Depends names $lib" grep -qxF "$lib" <<<"$depends"
done

# Maintainer scripts: capabilities by setcap, never a setuid bit.
dpkg-deb -e "$deb" "$scratch/control"
expect "no postrm (dpkg -r then leaves no config-files entry)" [ ! -e "$scratch/control/postrm" ]
expect "no conffiles (nothing for a purge to remove)" [ ! -e "$scratch/control/conffiles" ]
for script in postinst prerm; do
  expect "$script is there and executable" [ -x "$scratch/control/$script" ]
  expect "$script parses" sh -n "$scratch/control/$script"
done
postinst=$scratch/control/postinst
expect "postinst grants kolva cap_sys_rawio and cap_sys_nice" \
  grep -q 'rawio_nice" "$bin/kolva"$' "$postinst"
expect "postinst grants probecard cap_sys_rawio" grep -q 'rawio" "$bin/probecard"$' "$postinst"
expect "postinst grants kolva-record cap_sys_rawio and cap_sys_nice" \
  grep -q 'rawio_nice" "$bin/kolva-record"$' "$postinst"
expect "postinst's capabilities are permitted only" grep -q '^rawio_nice="cap_sys_rawio,cap_sys_nice+p"$' "$postinst"
expect "no script changes a file mode (no setuid)" bash -c "! grep -q chmod '$scratch/control/'*"

# File list.
listing=$(dpkg-deb -c "$deb")
for path in usr/bin/kolva usr/bin/probecard usr/bin/kolva-record usr/bin/kolva-start \
  usr/share/applications/kolva.desktop usr/share/icons/hicolor/scalable/apps/kolva.svg \
  usr/share/doc/kolva/README.md usr/share/doc/kolva/LICENSE; do
  expect "package holds /$path" grep -Eq " \./$path$" <<<"$listing"
done
man_pages="kolva kolva-record probecard"
for page in $man_pages; do
  expect "package holds the $page man page, compressed" \
    grep -Eq " \./usr/share/man/man1/$page\.1\.gz$" <<<"$listing"
done
expect "every file lies under /usr" bash -c "! grep -v ' \./usr' <<<\"\$1\" | grep -v ' \./$'" _ "$listing"
expect "no file is setuid or setgid" bash -c "! awk '{print \$1}' <<<\"\$1\" | grep -q '[sS]'" _ "$listing"

# The unpacked programs.
root=$scratch/root
dpkg -x "$deb" "$root"
bin=$root/usr/bin
for page in $man_pages; do
  man1=$root/usr/share/man/man1
  expect "$page man page is whole" gzip -t "$man1/$page.1.gz"
  # Every page its SEE ALSO names is in the package too.
  for seen in $(gzip -dc "$man1/$page.1.gz" 2>/dev/null | sed -n '/^\.SH SEE ALSO/,$s/^\.BR \([a-z-]*\) (1).*/\1/p'); do
    expect "$page(1)'s SEE ALSO $seen(1) is installed" [ -f "$man1/$seen.1.gz" ]
  done
done
expect "desktop entry validates" desktop-file-validate "$root/usr/share/applications/kolva.desktop"
exec_command=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/kolva.desktop")
expect "desktop entry's command $exec_command is in the package" [ -x "$bin/$exec_command" ]
for program in kolva probecard kolva-record; do
  dynamic=$(readelf -d "$bin/$program" 2>&1) || fail "readelf $program: $dynamic"
  expect "$program has no run path" bash -c "! grep -Eq 'RPATH|RUNPATH' <<<\"\$1\"" _ "$dynamic"
  libs=$(ldd "$bin/$program" 2>&1) || fail "ldd $program: $libs"
  expect "$program finds every library" bash -c "! grep -q 'not found' <<<\"\$1\"" _ "$libs"
  expect "$program loads nothing from the source tree" bash -c "! grep -qF '$top' <<<\"\$1\"" _ "$libs"
done

help=$("$bin/kolva-record" --help 2>&1) || fail "kolva-record --help exits non-zero"
expect "kolva-record --help names its options" grep -q -- '--interval' <<<"$help"
expect "kolva-record --version prints $version" grep -qF "$version" <<<"$("$bin/kolva-record" --version 2>&1)"

# A short recording on the simulated card, in a folder of its own, with the
# unpacked probe writing bar.txt.
work=$scratch/work
mkdir -p "$work"
printf '0\r\n0\r\n0.01\r\n0.005\r\ntrue\r\ntrue\r\nfalse\r\ntrue\r\n' >"$work/konfig.txt"
printf '0\r\n0\r\n1\r\n1\r\n366.2109375\r\n3906.25\r\n' >"$work/korekcje.txt"
export LC_ALL=C
export KOLVA_CARD=sim,in1=dc:500mV,in2=dc:-200mV
(cd "$work" && "$bin/probecard") || fail "unpacked probecard exits non-zero"
expect "probecard wrote bar.txt" [ -s "$work/bar.txt" ]
(cd "$work" && timeout 60 "$bin/kolva-record" --quiet --trigger off --interval 0.01 \
  --length 0.005 results.txt) || fail "kolva-record's short recording exits non-zero"
results=$work/results.txt
expect "recording wrote a results file" [ -s "$results" ]
if [ -s "$results" ]; then
  data=$(tail -n +12 "$results" | tr -d '\r')
  expect "recording holds at least 10 readings" [ "$(wc -l <<<"$data")" -ge 10 ]
  expect "every line ends in CR LF" bash -c "! grep -qv \$'\\r\$' '$results'"
  expect "first reading is number 0" [ "$(awk 'NR == 1 {print $1}' <<<"$data")" = 0 ]
  expect "readings are 500 mV and -200 mV" awk '
    { if ($2 < 490 || $2 > 510 || $3 < -210 || $3 > -190) bad = 1 }
    END { exit bad }' <<<"$data"
fi

# The capabilities postinst grants, on an ordinary user's run: with them the
# sampler takes real-time priority (without --quiet, which drops the note). Needs root and a file system that keeps
# extended attributes (CI runs as root).
caps=$(sed -n 's/^rawio_nice="\(.*\)"$/\1/p' "$postinst")
# (chown first: it clears a file's capabilities.)
if [ "$(id -u)" -eq 0 ] && cp "$bin/kolva-record" "$work/" && chown -R 65534:65534 "$work" &&
  setcap "$caps" "$work/kolva-record"; then
  note=$(cd "$work" && setpriv --reuid=65534 --regid=65534 --clear-groups \
    ./kolva-record --trigger off --interval 0.01 --length 0.002 rt.txt 2>&1) ||
    fail "kolva-record as an ordinary user with $caps exits non-zero: $note"
  expect "kolva-record with $caps samples at real-time priority ($note)" \
    bash -c "! grep -q 'without real-time' <<<\"\$1\"" _ "$note"
else
  echo "check-package: not root or no file capabilities here: real-time check skipped"
fi

# kolva started as the menu starts it, with a PATH that holds no probecard:
# it must find the unpacked probecard beside itself, in the data folder the
# desktop entry's command prepares.
tools=$scratch/tools
mkdir -p "$tools" "$scratch/home"
for tool in sh mkdir locale readlink dirname; do ln -s "$(command -v "$tool")" "$tools/$tool"; done
HOME=$scratch/home PATH=$tools QT_QPA_PLATFORM=offscreen "$bin/$exec_command" \
  >"$scratch/kolva.log" 2>&1 &
kolva_pid=$!
data_folder=$scratch/home/kolva
for _ in $(seq 100); do
  [ -s "$data_folder/bar.txt" ] && break
  sleep 0.1
done
expect "menu start made ~/kolva with konfig.txt and korekcje.txt" \
  [ -s "$data_folder/konfig.txt" -a -s "$data_folder/korekcje.txt" ]
expect "kolva started the unpacked probecard, which wrote bar.txt in ~/kolva" \
  [ -s "$data_folder/bar.txt" ]
sleep 1
expect "kolva is still running" kill -0 "$kolva_pid"
kill "$kolva_pid" 2>/dev/null || true
wait "$kolva_pid" 2>/dev/null || true
kolva_pid=""

echo "check-package: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
