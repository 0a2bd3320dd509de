#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-package/, then CPack.
#   scripts/package.sh            -> build-package/kavelo_<version>_<arch>.deb
# Install it with: apt install ./build-package/kavelo_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KAVELO_PACKAGE_BUILD:-$root/build-package}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
command -v dpkg-shlibdeps >/dev/null || { echo "dpkg-shlibdeps is missing (apt-get install dpkg-dev)" >&2; exit 1; }

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target kavelo kavelo-cli kavelo-sim
(cd "$build" && cpack --config CPackConfig.cmake -G DEB)
deb=$(ls -t "$build"/kavelo_*.deb | head -1)
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends
