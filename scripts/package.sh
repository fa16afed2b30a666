#!/usr/bin/env bash
# Builds everything in build/ as the other commands do, then makes the Debian package of the
# install: build/ostvik_<version>_amd64.deb, its dependencies computed by dpkg-shlibdeps from
# the libraries the programs link. Prints the package's path.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/scripts/build.sh"
cd "$top/build"
cpack -G DEB >/dev/null
version="$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' CPackConfig.cmake)"
echo "$top/build/ostvik_${version}_amd64.deb"
