#!/bin/bash
# Builds Qt and SQLite for 64-bit Windows once, from Debian's own source packages of the
# versions this machine's Qt was built from, into a cache folder outside the tree:
#   ${VELO_WINDOWS_CACHE:-~/.cache/velo-igx}/qt-<version>-mingw   (Qt, used by `make windows`)
#   ${VELO_WINDOWS_CACHE:-~/.cache/velo-igx}/sqlite-mingw          (SQLite, Qt's SQL driver links it)
# The first run takes an hour or more on two cores. Running it again continues where it
# stopped: each finished step leaves a mark in the cache and is skipped.
# Environment: VELO_WINDOWS_CACHE (cache folder), JOBS (parallel compiles, default: all cores).
# No Qt Serial Port: Debian's mirror does not serve its source, so on Windows the program
# drives the COM port through Win32 itself (src/link/win_serial_port_win.cpp).
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
TREE=$(cd "$HERE/../.." && pwd)
CACHE=${VELO_WINDOWS_CACHE:-$HOME/.cache/velo-igx}
JOBS=${JOBS:-$(nproc)}
SRC=$CACHE/src
BUILDS=$CACHE/build
SQLITE_PREFIX=$CACHE/sqlite-mingw
APT_DIR=$CACHE/apt
TRIPLE=x86_64-w64-mingw32

say() { echo "== $(date -u +%H:%M:%S) $*"; }
die() { echo "build-qt.sh: $*" >&2; exit 1; }

# The build gives way to everything else on the machine: it runs for a long time.
renice -n 19 -p $$ >/dev/null 2>&1 || true
ionice -c3 -p $$ >/dev/null 2>&1 || true

mkdir -p "$CACHE" "$SRC" "$BUILDS"
# Thousands of Qt objects would only push the project's own objects out of a shared ccache.
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER

# --- Tools ------------------------------------------------------------------------------
# MinGW-w64 with POSIX threads, Perl (Qt 6.4's header generator), Tcl (SQLite's
# amalgamation script), dpkg-dev (dpkg-source), and the host Qt whose tools the
# Windows Qt uses while it builds.
PACKAGES="g++-mingw-w64-x86-64-posix mingw-w64-tools perl tcl dpkg-dev cmake ninja-build
  qt6-base-dev qt6-base-dev-tools"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=$([ "$(id -u)" = 0 ] || echo sudo)
  say "Installing:$missing"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi

# --- Versions: exactly those of the host's Qt -------------------------------------------
source_version() { dpkg-query -W -f='${source:Version}' "$1"; }
QTBASE_VERSION=$(source_version qt6-base-dev)          # e.g. 6.4.2+dfsg-10
SQLITE_VERSION=$(source_version libsqlite3-0)
QT_VERSION=${QTBASE_VERSION%%[+-]*}                     # e.g. 6.4.2
QT_PREFIX=$CACHE/qt-$QT_VERSION-mingw
say "Qt $QT_VERSION for Windows into $QT_PREFIX"

# --- Sources through a private apt configuration ------------------------------------------
# Source entries for the same suites the machine already uses, kept in the cache: the
# system's own lists stay as they are.
APT_OPTS=(-o "Dir::Etc::sourcelist=$APT_DIR/sources.list"
  -o "Dir::Etc::sourceparts=$APT_DIR/sources.list.d"
  -o "Dir::State::Lists=$APT_DIR/lists" -o "Dir::Cache=$APT_DIR/cache")
[ "$(id -u)" = 0 ] && APT_OPTS+=(-o "APT::Sandbox::User=root")

apt_sources_ready=""
prepare_apt_sources() {
  [ -n "$apt_sources_ready" ] && return
  mkdir -p "$APT_DIR/sources.list.d" "$APT_DIR/lists/partial" "$APT_DIR/cache/archives/partial"
  rm -f "$APT_DIR/sources.list.d/"*
  # One-line lists: each "deb" line becomes a "deb-src" line of the same suites.
  cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' > "$APT_DIR/sources.list" || true
  # deb822 files: their "Types: deb" becomes "Types: deb-src".
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    sed 's/^Types:.*/Types: deb-src/' "$f" > "$APT_DIR/sources.list.d/$(basename "$f")"
  done
  say "Updating the source lists in $APT_DIR"
  if ! apt-get -q "${APT_OPTS[@]}" update > "$APT_DIR/update.log" 2>&1; then
    echo "build-qt.sh: cannot read the source lists of this machine's suites (see $APT_DIR/update.log).
Source entries are made from /etc/apt/sources.list*; their servers must be reachable." >&2
    return 1
  fi
  apt_sources_ready=1
}

# fetch PACKAGE VERSION DIR: unpacks Debian's source package PACKAGE=VERSION (with
# Debian's patches applied) into $SRC/DIR; says why and fails where it cannot.
fetch() {
  local pkg=$1 version=$2 dir=$SRC/$3
  [ -e "$dir/.velo-unpacked" ] && return
  prepare_apt_sources || return 1
  say "Fetching the source of $pkg $version"
  if ! (cd "$SRC" && apt-get -q "${APT_OPTS[@]}" source --download-only "$pkg=$version") > "$SRC/$pkg.log" 2>&1; then
    echo "build-qt.sh: cannot fetch the source package $pkg $version (see $SRC/$pkg.log):" >&2
    grep '^E:' "$SRC/$pkg.log" >&2 || true
    echo "The suites this machine uses must offer it: check that their servers are reachable." >&2
    return 1
  fi
  rm -rf "$dir"
  (cd "$SRC" && dpkg-source -x "${pkg}_${version#*:}.dsc" "$dir") >> "$SRC/$pkg.log" 2>&1 ||
    die "cannot unpack $pkg (see $SRC/$pkg.log)"
  touch "$dir/.velo-unpacked"
}

# --- SQLite for Windows ------------------------------------------------------------------
# Debian's qtbase source leaves out Qt's bundled SQLite, so the driver links this one.
if [ ! -e "$SQLITE_PREFIX/.velo-done" ]; then
  fetch sqlite3 "$SQLITE_VERSION" sqlite3 || exit 1
  say "Building SQLite $SQLITE_VERSION for Windows"
  rm -rf "$BUILDS/sqlite3" "$SQLITE_PREFIX"
  mkdir -p "$BUILDS/sqlite3" "$SQLITE_PREFIX/include" "$SQLITE_PREFIX/lib" "$SQLITE_PREFIX/bin"
  (
    cd "$BUILDS/sqlite3"
    # A host configure only to generate the single-file source; it is then compiled for Windows.
    "$SRC/sqlite3/configure" --disable-tcl > configure.log 2>&1
    make sqlite3.c > make.log 2>&1
    # Same options as Qt's bundled copy: column metadata (the driver asks for table names),
    # full-text search and R-trees.
    $TRIPLE-gcc-posix -O2 -shared -o sqlite3.dll sqlite3.c -Wl,--out-implib,libsqlite3.dll.a \
      -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_FTS3 \
      -DSQLITE_ENABLE_FTS3_PARENTHESIS -DSQLITE_ENABLE_FTS5 -DSQLITE_ENABLE_RTREE \
      -DSQLITE_OMIT_COMPLETE
  ) || die "the SQLite build failed (see $BUILDS/sqlite3/*.log)"
  cp "$BUILDS/sqlite3/sqlite3.h" "$BUILDS/sqlite3/sqlite3ext.h" "$SQLITE_PREFIX/include/"
  cp "$BUILDS/sqlite3/libsqlite3.dll.a" "$SQLITE_PREFIX/lib/"
  cp "$BUILDS/sqlite3/sqlite3.dll" "$SQLITE_PREFIX/bin/"
  touch "$SQLITE_PREFIX/.velo-done"
fi

# --- Qt base for Windows ------------------------------------------------------------------
# Qt records the toolchain file's path; a copy in the cache outlives any one clone. It is
# copied only when it changed: a newer copy would make the Qt build configure itself again.
TOOLCHAIN=$CACHE/mingw-w64-x86_64.cmake
cmp -s "$TREE/cmake/mingw-w64-x86_64.cmake" "$TOOLCHAIN" || cp "$TREE/cmake/mingw-w64-x86_64.cmake" "$TOOLCHAIN"
HOST_CMAKE_DIR=$(dirname "$(dirname "$(dpkg -L qt6-base-dev | grep -m1 '/cmake/Qt6/Qt6Config.cmake$')")")

if [ ! -e "$QT_PREFIX/.velo-qtbase-done" ]; then
  fetch qt6-base "$QTBASE_VERSION" qtbase || exit 1
  B=$BUILDS/qtbase
  # Each option in one line:
  opts=(
    -G Ninja
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN"           # compilers and search roots for Windows
    -DVELO_WINDOWS_ROOTS="$SQLITE_PREFIX"         # lets the toolchain find our SQLite
    -DCMAKE_BUILD_TYPE=Release                    # optimised, as shipped
    -DCMAKE_INSTALL_PREFIX="$QT_PREFIX"           # the cache, never the system
    -DQT_HOST_PATH=/usr                           # the host Qt's moc, rcc, uic (same version)
    -DQT_HOST_PATH_CMAKE_DIR="$HOST_CMAKE_DIR"    # where the host Qt's package files are
    -DBUILD_SHARED_LIBS=ON                        # DLLs beside the programs
    -DQT_BUILD_EXAMPLES=OFF                       # no examples
    -DQT_BUILD_TESTS=OFF                          # no Qt's own tests
    -DFEATURE_dbus=OFF                            # no D-Bus on Windows
    -DINPUT_opengl=no                             # no OpenGL: our charts paint with QPainter;
    -DFEATURE_opengl_dynamic=OFF                  #   FEATURE_opengl alone leaves dynamic GL on,
    -DFEATURE_dynamicgl=OFF                       #   and 6.4's Windows plugin then fails to build
    -DFEATURE_vulkan=OFF                          # nor Vulkan
    -DFEATURE_network=OFF                         # modules the programs do not link:
    -DFEATURE_xml=OFF                             #   Network, Xml
    -DFEATURE_concurrent=OFF                      #   and Concurrent
    -DFEATURE_tabletevent=OFF                     # Debian's source leaves out the tablet library
    -DFEATURE_zstd=OFF                            # no zstd for Windows here; rcc data stays zlib
    -DFEATURE_sql_sqlite=ON                       # the SQLite driver (Tune History) ...
    -DFEATURE_system_sqlite=ON                    # ... linked to our SQLite, not a bundled copy
    -DSQLite3_INCLUDE_DIR="$SQLITE_PREFIX/include"
    -DSQLite3_LIBRARY="$SQLITE_PREFIX/lib/libsqlite3.dll.a"
    -DFEATURE_sql_odbc=OFF                        # no other SQL drivers
    -DFEATURE_sql_psql=OFF
    -DFEATURE_sql_mysql=OFF
    -DFEATURE_sql_ibase=OFF
    -DFEATURE_sql_oci=OFF
    -DFEATURE_sql_db2=OFF
  )
  # Configured again only when the options changed: the objects built so far are kept.
  if [ ! -e "$B/build.ninja" ] || [ "$(cat "$B/.velo-options" 2>/dev/null)" != "${opts[*]}" ]; then
    say "Configuring Qt base (log: $B/configure.log)"
    mkdir -p "$B"
    nice -n 19 cmake -S "$SRC/qtbase" -B "$B" "${opts[@]}" > "$B/configure.log" 2>&1 ||
      { tail -n 30 "$B/configure.log"; die "Qt base configure failed (see $B/configure.log)"; }
    echo "${opts[*]}" > "$B/.velo-options"
  fi
  say "Building Qt base with $JOBS jobs (log: $B/build.log)"
  nice -n 19 cmake --build "$B" --parallel "$JOBS" > "$B/build.log" 2>&1 ||
    { tail -n 30 "$B/build.log"; die "Qt base build failed (see $B/build.log; run again to continue)"; }
  cmake --install "$B" > "$B/install.log" 2>&1 || die "Qt base install failed (see $B/install.log)"
  touch "$QT_PREFIX/.velo-qtbase-done"
fi

say "Done: Qt $QT_VERSION for Windows in $QT_PREFIX, SQLite in $SQLITE_PREFIX"
