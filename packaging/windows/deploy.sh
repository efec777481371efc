#!/bin/bash
# Lays out the Windows release from a `make windows` build without windeployqt (a cross
# build has none): the files of deploy.txt and the programs' own files in one folder,
# checked against what the programs import, then the portable zip and the setup program.
# Usage: deploy.sh BUILD_DIR QT_PREFIX SQLITE_PREFIX VERSION
set -euo pipefail

BUILD=$(cd "$1" && pwd)
QT=$2
SQLITE=$3
VERSION=$4
HERE=$(cd "$(dirname "$0")" && pwd)
TREE=$(cd "$HERE/../.." && pwd)
CXX=x86_64-w64-mingw32-g++-posix
OBJDUMP=x86_64-w64-mingw32-objdump
NAME=velo-igx-$VERSION
STAGE=$BUILD/$NAME

die() { echo "deploy.sh: $*" >&2; exit 1; }

# source_of ORIGIN FILE: where a file of deploy.txt comes from.
source_of() {
  case $1 in
    build) echo "$BUILD/bin/$2" ;;
    qt) case $2 in
          */*) echo "$QT/plugins/$2" ;;
          *) echo "$QT/bin/$2" ;;
        esac ;;
    sqlite) echo "$SQLITE/bin/$2" ;;
    mingw) realpath -m "$($CXX -print-file-name="$2")" ;;
    *) die "deploy.txt: unknown origin '$1' for $2" ;;
  esac
}

rm -rf "$STAGE"
mkdir -p "$STAGE"
listed=()
while read -r file origin; do
  case $file in ''|'#'*) continue ;; esac
  from=$(source_of "$origin" "$file")
  [ -f "$from" ] || die "$file is listed in deploy.txt but $from is missing"
  mkdir -p "$STAGE/$(dirname "$file")"
  cp "$from" "$STAGE/$file"
  listed+=("$file")
done < "$HERE/deploy.txt"

# The files the programs look for beside themselves (build-windows/bin holds them).
(cd "$BUILD/bin" && find . -type f ! -name '*.exe' ! -name '*.dll' -print0) |
  while IFS= read -r -d '' f; do
    mkdir -p "$STAGE/$(dirname "$f")"
    cp "$BUILD/bin/$f" "$STAGE/$f"
  done

# Plugins beside the programs: Qt looks for them relative to this folder.
printf '[Paths]\nPrefix = .\nPlugins = .\n' > "$STAGE/qt.conf"

# Every DLL an exe or DLL here imports must be here when it comes from Qt, SQLite or the
# compiler; the others are Windows' own.
ours_dirs=("$QT/bin" "$SQLITE/bin" "$(dirname "$(source_of mingw libstdc++-6.dll)")"
  "$(dirname "$(source_of mingw libwinpthread-1.dll)")")
shipped=$(cd "$STAGE" && ls | tr 'A-Z' 'a-z')
missing=""
while IFS= read -r -d '' pe; do
  for dll in $($OBJDUMP -p "$pe" | awk '/DLL Name:/ { print $3 }'); do
    lower=$(echo "$dll" | tr 'A-Z' 'a-z')
    grep -qxF "$lower" <<< "$shipped" && continue
    for d in "${ours_dirs[@]}"; do
      if [ -n "$(find "$d" -maxdepth 1 -iname "$dll" 2>/dev/null)" ]; then
        missing="$missing
  $dll (imported by ${pe#"$STAGE"/})"
        break
      fi
    done
  done
done < <(find "$STAGE" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)
[ -z "$missing" ] || die "not in deploy.txt but imported:$missing"
echo "Deployed ${#listed[@]} listed files into $STAGE; every imported DLL is there."

# The portable zip: unpack anywhere and start velo-igx.exe.
ZIP=$BUILD/$NAME-windows-x64.zip
rm -f "$ZIP"
(cd "$BUILD" && cmake -E tar cf "$ZIP" --format=zip "$NAME")
echo "Zip: $ZIP ($(du -h "$ZIP" | cut -f1))"

# The setup program.
SETUP=$BUILD/$NAME-setup.exe
makensis -V2 -DVERSION="$VERSION" -DSTAGE="$STAGE" -DOUTFILE="$SETUP" \
  -DICON="$HERE/velo-igx.ico" -DLICENSE="$TREE/packaging/copyright" "$HERE/velo-igx.nsi"
echo "Setup: $SETUP ($(du -h "$SETUP" | cut -f1))"
