#!/bin/bash
# Tests the Windows build under Wine: the test programs that need no pseudo-terminal,
# then the CLI against the Linux build's answers on the demo tunes, then the window's title.
# Usage: wine-test.sh WINDOWS_BUILD LINUX_BUILD QT_PREFIX SQLITE_PREFIX DISPLAY
set -euo pipefail

WBUILD=$(cd "$1" && pwd)
LBUILD=$(cd "$2" && pwd)
QT=$3
SQLITE=$4
DISPLAY_NUMBER=$5
CXX=x86_64-w64-mingw32-g++-posix

die() { echo "wine-test.sh: $*" >&2; exit 1; }

missing=""
for p in wine wine64 xvfb openbox xdotool imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=$([ "$(id -u)" = 0 ] || echo sudo)
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi

# A prefix of this build's own: its first start takes tens of seconds.
export WINEPREFIX=$WBUILD/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
winpath() { echo "Z:${1//\//\\}"; }
mingw_dir=$(dirname "$(realpath "$($CXX -print-file-name=libstdc++-6.dll)")")
pthread_dir=$(dirname "$(realpath "$($CXX -print-file-name=libwinpthread-1.dll)")")
export WINEPATH="$(winpath "$QT/bin");$(winpath "$SQLITE/bin");$(winpath "$mingw_dir");$(winpath "$pthread_dir")"
export QT_PLUGIN_PATH=$(winpath "$QT/plugins")
if [ ! -d "$WINEPREFIX" ]; then
  echo "== Creating the Wine prefix $WINEPREFIX"
  wineboot -i > "$WBUILD/wineboot.log" 2>&1 || die "wineboot failed (see $WBUILD/wineboot.log)"
fi

Xvfb ":$DISPLAY_NUMBER" -screen 0 1280x1024x24 > /dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$DISPLAY_NUMBER"
# A window manager: without one Wine's windows are never made active, which the widget
# tests and the dialogs wait for.
sleep 1
openbox > /dev/null 2>&1 &
wm=$!
trap 'kill "$wm" "$xvfb" 2>/dev/null || true; wineserver -k >/dev/null 2>&1 || true' EXIT

# --- Test programs ------------------------------------------------------------------------
# Left out: the link tests (they drive igx1-sim on a pseudo-terminal, which Windows has
# not; the link code is the same, and the Linux run covers it) and the install test.
# One at a time: the tests share the prefix's application data folder.
echo "== Test programs under Wine"
# On Wine's own platform, on the Xvfb display: Windows Qt's offscreen platform never makes
# a window active, which the widget tests wait for.
rm -f "$WBUILD"/tests/logs/*.txt
if ! (cd "$WBUILD" && ctest -LE 'link|install' --timeout 600); then
  for log in "$WBUILD"/tests/logs/*.txt; do
    if grep -q '^FAIL' "$log"; then
      echo "-- ${log##*/}" && grep -A3 '^FAIL' "$log"
    elif ! grep -q '^Totals' "$log"; then  # stopped before the end: where it was
      echo "-- ${log##*/} (unfinished)" && tail -n 5 "$log"
    fi
  done
  die "tests failed under Wine"
fi

# --- The CLI: the same answers as the Linux build, line ends aside ------------------------
echo "== The CLI against the Linux build"
work=$WBUILD/cli-check
rm -rf "$work" && mkdir -p "$work/linux" "$work/windows"
for side in linux windows; do
  cp "$LBUILD/bin/demo_2d.dat" "$LBUILD/bin/demo_3d.dat" "$work/$side/"
done
mkdir -m 700 "$work/linux/run"
# Both sides start with an empty Tune History (the prefix keeps the Windows one).
rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/"Velo IGX"
# run SIDE ARGS...: prints what the CLI printed, with Unix line ends, the side's folder as
# FOLDER and times as TIME (the history lists where and when each file was used).
run() {
  local side=$1; shift
  if [ "$side" = linux ]; then
    (cd "$work/linux" && XDG_DATA_HOME=$work/linux/xdg XDG_CONFIG_HOME=$work/linux/xdg \
      XDG_RUNTIME_DIR=$work/linux/run "$LBUILD/bin/velo-igx-cli" "$@" 2>&1) || true
  else
    (cd "$work/windows" && wine "$WBUILD/bin/velo-igx-cli.exe" "$@" 2>&1 | tr -d '\r') || true
  fi | sed -E -e "s#(Z:)?$work/$side#FOLDER#g" \
    -e 's/[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z/TIME/g'
}
failed=""
while IFS= read -r line; do
  [ -z "$line" ] && continue
  read -r -a args <<< "$line"
  for side in linux windows; do run "$side" "${args[@]}" > "$work/$side.out"; done
  if ! diff -u "$work/linux.out" "$work/windows.out" > "$work/last.diff"; then
    failed="$failed
  velo-igx-cli $line"
    cat "$work/last.diff"
  fi
done <<'EOF'
show demo_3d.dat
show demo_2d.dat --units kPa
diff demo_2d.dat demo_3d.dat
check demo_3d.dat
export demo_3d.dat table.csv
import demo_3d.dat table.csv again.dat
show again.dat
report demo_3d.dat demo_3d.pdf
history
EOF
for f in table.csv; do
  cmp -s <(tr -d '\r' < "$work/linux/$f") <(tr -d '\r' < "$work/windows/$f") ||
    failed="$failed
  $f differs"
done
head -c 5 "$work/windows/demo_3d.pdf" 2>/dev/null | grep -q '%PDF-' || failed="$failed
  report wrote no PDF"
[ -z "$failed" ] || die "the Windows CLI differs from the Linux one:$failed"

# --- The window ----------------------------------------------------------------------------
# It must open with the title the Linux build's window has after start-up.
echo "== The window under Wine"
# wait_for_window PATTERN: the first window whose title matches, within two minutes.
wait_for_window() {
  local id=""
  for _ in $(seq 120); do
    id=$(xdotool search --name "$1" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 1
  done
  echo "$id"
}
(cd "$work/linux" && XDG_DATA_HOME=$work/linux/xdg XDG_CONFIG_HOME=$work/linux/xdg \
  exec "$LBUILD/bin/velo-igx" --no-splash > "$WBUILD/linux-window.log" 2>&1) &
linux_app=$!
id=$(wait_for_window "Velo IGX Version")
TITLE=$([ -n "$id" ] && xdotool getwindowname "$id" || true)
kill "$linux_app" 2>/dev/null || true
wait "$linux_app" 2>/dev/null || true
[ -n "$TITLE" ] || die "the Linux build's window did not open (see $WBUILD/linux-window.log)"
(cd "$WBUILD/bin" && wine velo-igx.exe --no-splash > "$WBUILD/window.log" 2>&1) &
app=$!
found=$(wait_for_window "^$TITLE\$")
import -window root "$WBUILD/window.png" 2>/dev/null || true
wineserver -k >/dev/null 2>&1 || true
wait "$app" 2>/dev/null || true
[ -n "$found" ] || die "no window titled \"$TITLE\" (see $WBUILD/window.log, $WBUILD/window.png)"
echo "Window \"$TITLE\" opened; screenshot in $WBUILD/window.png"
