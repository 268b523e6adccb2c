#!/usr/bin/env sh
# Installs what ReadZemlo needs on Debian, if missing. Run as root (or with
# sudo); does nothing when everything is there.
#   setup.sh         what building the tool needs
#   setup.sh bench   that, and what the benchmarks need
#   setup.sh test    that, and what every test needs (sanitizers, fuzzers,
#                    the Windows cross build and Wine, package checks)
set -eu
packages="cmake g++ make"
case ${1:-build} in
  build) ;;
  bench) packages="$packages libbenchmark-dev python3" ;;
  test) packages="$packages libgtest-dev libbenchmark-dev python3 clang
          libclang-rt-14-dev g++-mingw-w64-x86-64-posix wine wine64 dpkg-dev
          groff man-db unzip tmux lintian" ;;
  *) echo "usage: setup.sh [build|bench|test]" >&2; exit 2 ;;
esac
missing=""
for p in $packages; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends $missing
fi
