#!/usr/bin/env bash
# Installs what is missing, builds the viewer in release mode and starts it on the example project.
# Extra arguments replace the example project.
set -euo pipefail
# A relative project path is taken from the folder the script was started in.
args=()
for a in "$@"; do
  case "$a" in
    /* | -*) args+=("$a") ;;
    *) args+=("$PWD/$a") ;;
  esac
done
set -- ${args[@]+"${args[@]}"}
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD=${BUILD_DIR:-build/release}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORBISK_TESTS=OFF -DORBISK_BENCH=OFF
cmake --build "$BUILD" --target orbisk -j "${JOBS:-$(nproc)}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: orbisk was built in $BUILD/src/app/orbisk but cannot open its window here."
  echo "Run this script on a desktop session, or under a virtual display: xvfb-run -a bash scripts/run.sh"
  exit 0
fi
if [ "$#" -eq 0 ]; then
  set -- "$PWD/examples/demo.prj"
fi
exec "$BUILD/src/app/orbisk" "$@"
