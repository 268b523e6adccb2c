#!/usr/bin/env sh
# Builds the packages and checks them as a user would get them: runs lintian
# on the .deb (an error or a warning fails), installs it, converts the bundled examples with the installed ReadZemlo and
# compares with the build tree's tables, renders the manual page without
# warnings, and looks for the .exe in the Windows zip. Needs root for dpkg.
#   package_test.sh BUILD_DIR WINDOWS_BUILD_DIR
set -eu
build=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
examples=$(cd "$(dirname "$0")/../examples" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

(cd "$build" && cpack -G DEB >/dev/null)
deb="$build/readzemlo_${version}_$(dpkg --print-architecture).deb"
dpkg-deb --field "$deb" Package Version Depends
depends=$(dpkg-deb --field "$deb" Depends)
case $depends in *libc6*) ;; *) echo "no computed dependencies: $depends"; exit 1 ;; esac
# Informational tags are shown, not failed on.
tags=$(lintian --pedantic "$deb" 2>&1 | grep -v 'running with root privileges' || true)
[ -z "$tags" ] || echo "$tags"
if echo "$tags" | grep -q '^[EW]: '; then
  echo "lintian: errors or warnings in $deb"
  exit 1
fi
dpkg -i "$deb" >/dev/null
trap 'dpkg -r readzemlo >/dev/null 2>&1 || true' EXIT

work=$(mktemp -d)
mkdir "$work/installed" "$work/built"
cp "$examples"/*.day "$work/installed/"
cp "$examples"/*.day "$work/built/"
(cd "$work/installed" && /usr/bin/ReadZemlo example.day hd_example.day >/dev/null)
(cd "$work/built" && "$build/ReadZemlo" example.day hd_example.day >/dev/null)
for table in example.csv hd_example.csv; do
  cmp "$work/installed/$table" "$work/built/$table"
done
rm -rf "$work"

page=/usr/share/man/man1/ReadZemlo.1.gz
warnings=$(zcat "$page" | groff -ww -man -z 2>&1)
[ -z "$warnings" ] || { echo "$warnings"; exit 1; }
man -l "$page" >/dev/null

(cd "$windows" && cpack -G ZIP >/dev/null)
zip="$windows/readzemlo-${version}-win64.zip"
unzip -l "$zip"
for member in ReadZemlo.exe README.md LICENSE; do
  unzip -l "$zip" | grep -q " $member\$" || { echo "$zip lacks $member"; exit 1; }
done
echo "packages: 3 passed, 0 failed"
