#!/usr/bin/env bash
# Recovering one large file against copying and hashing it: a FAT32 image holding a 900 MB
# file of random bytes, both the image and a plain copy of the file in the page cache,
# written into a RAM disk (/dev/shm) by `cp` and by `vantrel-cli recover`, hashed and
# not (--no-hash). Recovery also syncs the file before its final rename; DISK_OUT, a
# folder on a real disk, adds the same comparison there (`cp` then followed by `sync` of
# the copy).
# Prints the load, the best of RUNS wall seconds of each, and each ratio to `cp` (into
# the RAM disk).
#
#   bench/compare-recover.sh
#   DISK_OUT=/var/tmp/vantrel-bench-out bench/compare-recover.sh
#
# CLI (default build/ci-release/src/cli/vantrel-cli) is a release build of vantrel-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
cli="${CLI:-build/ci-release/src/cli/vantrel-cli}"
work="${WORK:-/tmp/vantrel-bench-recover}"
out="${OUT:-/dev/shm/vantrel-bench-recover}"
disk_out="${DISK_OUT:-}"
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

seconds() { # runs "$@" once and prints its wall time in seconds
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
# The commands run in turns, each right after the output of the one before was removed:
# on a virtual machine that hands freed memory back to its host, memory used for the
# first time in a while is several times slower to write, and taking turns gives every
# command the same start.
declare -A best
labels=()
measure() { # label command...: runs it once into an empty $target, keeps the best time
    local label=$1 time
    shift
    rm -rf "$out" ${disk_out:+"$disk_out"}
    mkdir -p "$target"
    time=$(seconds "$@")
    [ -n "${best[$label]:-}" ] || labels+=("$label")
    if [ -z "${best[$label]:-}" ] || [ "$(echo "$time < ${best[$label]}" | bc -l)" = 1 ]; then
        best[$label]=$time
    fi
}
copy_synced() { cp "$work/payload.bin" "$target/" && sync "$target/payload.bin"; }
recover() { "$cli" recover "$work/big.img" 1/0 --to "$target" --overwrite all "$@"; }

echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
mb_per_s=$(openssl speed -evp sha256 -bytes 1048576 -seconds 2 2>/dev/null |
    awk '/^sha256/ {sub(/k$/, "", $2); printf "%.0f", $2 / 1000}')
for _ in $(seq "$runs"); do
    target="$out"
    measure "cp (page cache -> RAM disk)" cp "$work/payload.bin" "$target/"
    measure "openssl dgst -sha256" openssl dgst -sha256 "$work/payload.bin"
    measure "sha256sum" sha256sum "$work/payload.bin"
    measure "recover (SHA-256 in the manifest)" recover
    measure "recover --no-hash" recover --no-hash
    if [ -n "$disk_out" ]; then
        target="$disk_out"
        measure "cp + sync (real disk)" copy_synced
        measure "recover (real disk)" recover
        measure "recover --no-hash (real disk)" recover --no-hash
    fi
done
rm -rf "$out" ${disk_out:+"$disk_out"}

copy=${best["cp (page cache -> RAM disk)"]}
printf 'SHA-256 of 900 MB at openssl speed -evp sha256 (%s MB/s): %.3f s, %.2f x cp\n' \
    "$mb_per_s" "$(echo "900 / $mb_per_s" | bc -l)" "$(echo "900 / $mb_per_s / $copy" | bc -l)"
for label in "${labels[@]}"; do
    printf '%-34s %6.3f s  %5.2f x cp\n' "$label" "${best[$label]}" \
        "$(echo "${best[$label]} / $copy" | bc -l)"
done
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
