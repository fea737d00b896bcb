#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs from it:
# the files in their places, a launcher entry that validates and names the installed
# program, icon and file type, and a file type that the shared MIME database gives to
# *.vq names and to files that begin as the program writes them.
# Usage: install_test.sh BUILD_DIR TEST_DATA_DIR [CMAKE]
set -euo pipefail

build=$1
data=$2
cmake=${3:-cmake}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

unset DESTDIR
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

# Everything installed, apart from the manual's own pages, is one of these.
expected=(
  bin/zendra
  bin/zendra-cli
  libexec/zendra/zendra-mdb
  share/applications/zendra.desktop
  share/icons/hicolor/scalable/apps/zendra.svg
  share/mime/packages/zendra.xml
  share/zendra/manual/index.html
  share/zendra/default_data.ini
  share/zendra/Amnomr.dat
)
for f in "${expected[@]}"; do
  [ -f "$prefix/$f" ] || fail "$f is not installed"
done
for f in bin/zendra bin/zendra-cli libexec/zendra/zendra-mdb; do
  [ -x "$prefix/$f" ] || fail "$f is not executable"
done
while IFS= read -r f; do
  case " ${expected[*]} " in *" $f "*) continue ;; esac
  case $f in share/zendra/manual/*) continue ;; esac
  fail "unexpected installed file $f"
done < <(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)

# The launcher entry: valid with nothing to remark, and naming what was installed.
desktop=$prefix/share/applications/zendra.desktop
remarks=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
[ -z "$remarks" ] || fail "desktop-file-validate: $remarks"
entry() { sed -n "s/^$1=//p" "$desktop"; }
exec_line=$(entry Exec)
[ "$exec_line" = "zendra %F" ] || fail "Exec is '$exec_line', not 'zendra %F'"
[ -x "$prefix/bin/${exec_line%% *}" ] || fail "Exec names a program that is not installed"
[ -f "$prefix/share/icons/hicolor/scalable/apps/$(entry Icon).svg" ] ||
  fail "Icon names no installed icon"
[ "$(entry MimeType)" = "text/x-vq;" ] || fail "MimeType is '$(entry MimeType)'"
xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/zendra.svg" || fail "icon is not XML"

# The file type, compiled as the desktop compiles it.
mime=$tmp/mime
cp -r "$prefix/share/mime" "$mime"
update-mime-database "$mime" >/dev/null 2>&1 || fail "update-mime-database failed"
if ! grep -qx '[0-9]*:text/x-vq:\*\.vq' "$mime/globs2" || grep -q ':cs$' "$mime/globs2"; then
  fail "globs2 does not give *.vq in any letter case to text/x-vq: $(grep x-vq "$mime/globs2")"
fi
grep -qx 'text/x-vq text/plain' "$mime/subclasses" || fail "text/x-vq is not a kind of text/plain"
grep -q 'Zendra table' "$mime/text/x-vq.xml" || fail "text/x-vq has no comment"
grep -aq '^\[[0-9]*:text/x-vq\]$' "$mime/magic" || fail "magic has no text/x-vq section"

# The magic keywords, taken from the installed definition, must begin every sample table
# and a table the installed zendra-cli writes (keywords are read in any letter case).
mapfile -t keywords < <(grep -o 'value="[^"]*"' "$mime/packages/zendra.xml" | cut -d'"' -f2)
[ ${#keywords[@]} -gt 0 ] || fail "no magic keywords"
for k in "${keywords[@]}"; do
  grep -aqF "$k" "$mime/magic" || fail "magic does not hold $k"
done
"$prefix/bin/zendra-cli" convert "$data/oem_full.vq" "$tmp/written.vq" >/dev/null ||
  fail "installed zendra-cli could not write a table"
for f in "$data"/*.vq "$tmp/written.vq"; do
  start=$(head -c 64 "$f" | tr '[:lower:]' '[:upper:]')
  matched=0
  for k in "${keywords[@]}"; do
    [[ $start == "$k"* ]] && matched=1
  done
  [ $matched -eq 1 ] || fail "$(basename "$f") begins with no magic keyword"
done

if [ $failures -ne 0 ]; then
  echo "$failures install check(s) failed" >&2
  exit 1
fi
echo "install layout, desktop entry and file type: all checks passed"
