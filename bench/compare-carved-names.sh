#!/usr/bin/env bash
# What naming carved files after the file systems' entries adds to a database scan, on a
# 1 GiB MBR disk image: a FAT32 volume (600 MiB) and an NTFS volume (the rest), each full
# of photos in folders (random bodies, 20 to 200 KiB), two of three deleted. The scan and
# the naming are timed in one process from a warm cache (bench/scan/CarvedNamesBench.cpp),
# RUNS times each (default 3); the best of each and their ratio are shown.
#
#   bench/compare-carved-names.sh [IMAGE]      (default /tmp/vantrel-carved-1g.img)
#
# BUILD (default build/carved-bench) is the release tree for the benchmark. Making the
# image needs mkfs.fat, mtools, mkntfs and the libntfs-3g fixture tool (NTFS_TOOL, default
# that of build/test); run it the first time under nice.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD:-build/carved-bench}"
image="${1:-/tmp/vantrel-carved-1g.img}"
runs="${RUNS:-3}"
tool="${NTFS_TOOL:-$(pwd)/build/test/tests/fixtures/ntfs-tool/vantrel_ntfs_tool}"
export PATH="$PATH:/usr/sbin:/sbin" MTOOLS_SKIP_CHECK=1

fat_start=2048
fat_sectors=1228800
ntfs_start=$((fat_start + fat_sectors))
total=2097152
ntfs_sectors=$((total - ntfs_start))

# photos DIR COUNT SEED: COUNT photos in DIR/dNN folders of 100; prints their paths
photos() {
    python3 - "$@" <<'PY'
import os, random, sys
root, count, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(seed)
for n in range(count):
    folder = os.path.join(root, "d%02d" % (n // 100))
    os.makedirs(folder, exist_ok=True)
    body = bytearray(rng.randbytes(rng.randrange(20 << 10, 200 << 10)))
    body = body.replace(b"\xff\xd9\x00\x00", b"\xff\xd8\x00\x00")
    path = os.path.join(folder, "Photo %05d.jpg" % n)
    with open(path, "wb") as out:
        out.write(b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
        out.write(body + b"\xff\xd9")
    print(os.path.relpath(path, root))
PY
}

if [ ! -f "$image" ]; then
    [ -x "$tool" ] || { echo "the NTFS fixture tool is missing: $tool" >&2; exit 1; }
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    echo "making $image" >&2
    truncate -s $((total * 512)) "$image.partial"
    printf 'label: dos\n%d,%d,c\n%d,%d,7\n' "$fat_start" "$fat_sectors" "$ntfs_start" \
        "$ntfs_sectors" | sfdisk -q "$image.partial" >/dev/null
    fat="$image.partial@@$((fat_start * 512))"
    mkfs.fat -F 32 -s 8 -n CARVED --offset "$fat_start" "$image.partial" $((fat_sectors / 2)) \
        >/dev/null 2>&1
    photos "$work/fat" 3000 1 >"$work/fat.list"
    mcopy -s -i "$fat" "$work/fat"/* ::/
    # Two of three deleted, in batches that keep the command lines short.
    awk 'NR % 3 != 0 { print "::/" $0 }' "$work/fat.list" | xargs -d '\n' -n 200 mdel -i "$fat"

    truncate -s $((ntfs_sectors * 512)) "$work/ntfs.img"
    mkntfs -F -Q -q -c 4096 -L CARVEDNT -p "$ntfs_start" -H 255 -S 63 "$work/ntfs.img" >/dev/null 2>&1
    photos "$work/ntfs" 2000 2 >"$work/ntfs.list"
    args=()
    for folder in "$work/ntfs"/d*; do
        args+=(mkdir "/$(basename "$folder")")
    done
    while read -r path; do
        args+=(put "$work/ntfs/$path" "/$path")
    done <"$work/ntfs.list"
    "$tool" "$work/ntfs.img" "${args[@]}"
    args=()
    while read -r path; do
        args+=(rm "/$path")
    done < <(awk 'NR % 3 != 0' "$work/ntfs.list")
    "$tool" "$work/ntfs.img" "${args[@]}"
    dd if="$work/ntfs.img" of="$image.partial" bs=1M seek=$((ntfs_start * 512)) \
        oflag=seek_bytes conv=notrunc,sparse status=none
    mv "$image.partial" "$image"
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_TESTS=OFF \
    -DVANTREL_BENCH=ON >/dev/null
cmake --build "$build" --target bench_carved_names -j2 >/dev/null

echo "image: $image ($(du -h --apparent-size "$image" | cut -f1)); load: $(cut -d' ' -f1-3 /proc/loadavg)"
VANTREL_CARVED_IMAGE="$image" "$build/bench/scan/bench_carved_names" \
    --benchmark_repetitions="$runs" --benchmark_format=json 2>/dev/null |
    python3 -c '
import json, sys
runs = [b for b in json.load(sys.stdin)["benchmarks"] if b.get("run_type") == "iteration"]
def best(name, key):
    return min(b[key] for b in runs if b["name"].startswith(name))
named = [b for b in runs if b["name"].startswith("BM_CarvedNaming")][0]
print("carved files: %d, named: %d, volumes: %d" % (named["files"], named["named"], named["volumes"]))
for key, what in (("real_time", "elapsed"), ("cpu_time", "CPU")):
    s, n = best("BM_DatabaseScan", key), best("BM_CarvedNaming", key)
    print("%-8s scan %8.1f ms   naming %7.1f ms   naming / scan %5.2f %% (aim: under 5 %%)"
          % (what, s, n, 100 * n / s))
'
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
