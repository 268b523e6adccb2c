#!/usr/bin/env sh
# Installs what building and testing ReadZemlo needs on Debian, if missing.
# Run as root (or with sudo); does nothing when everything is there.
set -eu
packages="cmake g++ make libgtest-dev libbenchmark-dev python3 clang
  libclang-rt-14-dev g++-mingw-w64-x86-64-posix wine wine64 dpkg-dev groff
  man-db unzip"
missing=""
for p in $packages; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends $missing
fi
