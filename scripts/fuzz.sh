#!/bin/sh
# Builds the libFuzzer harnesses with clang (build/fuzz) and runs each for a bounded time.
#   scripts/fuzz.sh [target...]        all targets of fuzz/targets.txt when none is named
#   FUZZ_SECONDS=60                    time per target
#   FUZZ_CXX=clang++                   the compiler
# Inputs that reach new code are merged into fuzz/corpus/<target>/; crashes land in
# fuzz/crashes/<target>/. The test suite replays both.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD:-$root/build/fuzz}
targets=${*:-$(cat "$root/fuzz/targets.txt")}

CXX=${FUZZ_CXX:-clang++} cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DORBISK_FUZZ=ON -DORBISK_SANITIZE=ON -DORBISK_TESTS=OFF -DORBISK_BENCH=OFF >/dev/null
ninja -C "$build" $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)

export QT_QPA_PLATFORM=offscreen
status=0
for t in $targets; do
  corpus="$root/fuzz/corpus/$t"
  crashes="$root/fuzz/crashes/$t"
  scratch=$(mktemp -d)
  mkdir -p "$corpus" "$crashes"
  echo "== $t: $seconds s"
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=4096 \
    -artifact_prefix="$crashes/" -print_final_stats=1 "$scratch" "$corpus" || status=1
  # Keep only the new inputs that add coverage.
  "$build/fuzz/fuzz_$t" -merge=1 "$corpus" "$scratch" >/dev/null 2>&1 || true
  rm -rf "$scratch"
done
[ -n "$(find "$root/fuzz/crashes" -type f 2>/dev/null)" ] && echo "crashes found: see fuzz/crashes/" && status=1
exit $status
