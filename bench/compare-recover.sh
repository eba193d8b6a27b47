#!/usr/bin/env bash
# Recovering one large file against copying it: a FAT32 image holding a 900 MB file of
# random bytes, both the image and a plain copy of the file in the page cache, written
# into a RAM disk (/dev/shm) by `cp` and by `vantrel-cli recover` (which also hashes
# every byte with SHA-256 and syncs the file). Prints the best of RUNS for each and the
# ratio recover / cp.
#
#   bench/compare-recover.sh
#
# CLI (default build/ci-release/src/cli/vantrel-cli) is a release build of vantrel-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
cli="${CLI:-build/ci-release/src/cli/vantrel-cli}"
work="${WORK:-/tmp/vantrel-bench-recover}"
out="${OUT:-/dev/shm/vantrel-bench-recover}"
runs="${RUNS:-5}"

mkdir -p "$work"
if [ ! -f "$work/big.img" ]; then
    rm -f "$work/big.img.partial"
    mkfs.fat -F 32 -C "$work/big.img.partial" 1000000 >/dev/null
    head -c 900000000 /dev/urandom >"$work/payload.bin"
    mcopy -i "$work/big.img.partial" "$work/payload.bin" ::PAYLOAD.BIN
    mv "$work/big.img.partial" "$work/big.img"
fi
[ -f "$work/payload.bin" ] || mcopy -i "$work/big.img" ::PAYLOAD.BIN "$work/payload.bin"
cat "$work/big.img" "$work/payload.bin" >/dev/null # into the page cache

best() { sort -n | head -1; }
seconds() { # runs "$@" once and prints its wall time in seconds
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
copy_once() { rm -rf "$out"; mkdir -p "$out"; seconds cp "$work/payload.bin" "$out/"; }
recover_once() {
    rm -rf "$out"
    seconds "$cli" recover "$work/big.img" 1/0 --to "$out"
}
copy=$(for _ in $(seq "$runs"); do copy_once; done | best)
recover=$(for _ in $(seq "$runs"); do recover_once; done | best)
rm -rf "$out"
printf 'cp:      %.3f s\nrecover: %.3f s\nratio:   %.2f\n' "$copy" "$recover" \
    "$(echo "$recover / $copy" | bc -l)"
