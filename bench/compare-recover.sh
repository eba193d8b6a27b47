#!/usr/bin/env bash
# Recovering one large file against copying and hashing it: a FAT32 image holding a 900 MB
# file of random bytes, both the image and a plain copy of the file in the page cache,
# written into a RAM disk (/dev/shm) by `cp` and by `vantrel-cli recover`, hashed and
# not (--no-hash). Recovery also syncs the file before its final rename; DISK_OUT, a
# folder on a real disk, adds the same comparison there (`cp` then followed by `sync` of
# the copy).
# Prints the load, the best of RUNS wall seconds of each, and each ratio to `cp`.
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
runs="${RUNS:-3}"

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
best_of() { # best wall time of RUNS runs of "$@", each after clearing $target
    for _ in $(seq "$runs"); do
        rm -rf "$target"
        mkdir -p "$target"
        seconds "$@"
    done | best
}
copy_synced() { cp "$work/payload.bin" "$target/" && sync "$target/payload.bin"; }
report() { # label seconds
    printf '%-34s %6.3f s  %5.2f x cp\n' "$1" "$2" "$(echo "$2 / $copy" | bc -l)"
}

echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
mb_per_s=$(openssl speed -evp sha256 -bytes 1048576 -seconds 2 2>/dev/null |
    awk '/^sha256/ {sub(/k$/, "", $2); printf "%.0f", $2 / 1000}')
echo "openssl speed -evp sha256 (1 MiB blocks): $mb_per_s MB/s"

target="$out"
copy=$(best_of cp "$work/payload.bin" "$target/")
report "cp (page cache -> RAM disk)" "$copy"
report "SHA-256 at openssl speed" "$(echo "900 / $mb_per_s" | bc -l)"
report "openssl dgst -sha256" "$(best_of openssl dgst -sha256 "$work/payload.bin")"
report "sha256sum" "$(best_of sha256sum "$work/payload.bin")"
report "recover (SHA-256 in the manifest)" \
    "$(best_of "$cli" recover "$work/big.img" 1/0 --to "$target" --overwrite all)"
report "recover --no-hash" \
    "$(best_of "$cli" recover "$work/big.img" 1/0 --to "$target" --overwrite all --no-hash)"
rm -rf "$target"

if [ -n "$disk_out" ]; then
    target="$disk_out"
    report "cp + sync (real disk)" "$(best_of copy_synced)"
    report "recover (real disk)" \
        "$(best_of "$cli" recover "$work/big.img" 1/0 --to "$target" --overwrite all)"
    report "recover --no-hash (real disk)" \
        "$(best_of "$cli" recover "$work/big.img" 1/0 --to "$target" --overwrite all --no-hash)"
    rm -rf "$target"
fi
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
