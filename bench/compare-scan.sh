#!/usr/bin/env bash
# Side-by-side timing of the three scan methods against reading the same image with cat
# (and photorec, only when it is already installed), warm (from the page cache) and cold
# (from the disk, with the page cache dropped before every run; root only).
#
#   bench/compare-scan.sh [METHOD ...]      METHOD: database fat ntfs (default: all three)
#
# Images, made once under IMAGES (default /tmp) and kept:
#   database  1 GiB of mixed content: pictures with random bodies, short text files,
#             zeroed and random stretches
#   fat       a 1 GiB FAT32 volume: 40 folders of 100 small text files, the rest of it
#             filled with large random files
#   ntfs      the same contents on a 1 GiB NTFS volume (built with the fixture tool)
# Every figure is the best of RUNS (default 3) runs; cat and the scan run back to back.
# BUILD (default build/scan-bench) is the release build tree holding vantrel-cli, timed
# without its debug sections; CLI names another vantrel-cli to time as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD:-build/scan-bench}"
images="${IMAGES:-/tmp}"
runs="${RUNS:-3}"
methods=("$@")
[ ${#methods[@]} -gt 0 ] || methods=(database fat ntfs)

# CLI, when set, is the vantrel-cli to time instead (another build, to compare with).
cli="${CLI:-}"
if [ -z "$cli" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_TESTS=OFF >/dev/null
    cmake --build "$build" --target vantrel-cli -j2 >/dev/null
    cli="$build/src/cli/vantrel-cli"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -z "${CLI:-}" ]; then
    # Timed as installed: without the debug sections, which only a debugger reads but
    # which cost about 5 ms of a start from a cold cache.
    strip --strip-debug -o "$work/vantrel-cli" "$cli"
    cli="$work/vantrel-cli"
fi

make_mixed() {
    python3 - "$1" 1024 <<'PY'
import os, random, sys
path, mib = sys.argv[1], int(sys.argv[2])
rng = random.Random(20261207)
words = b"the quick brown fox jumps over the lazy dog and recovers lost files again ".split()
def text(n):
    out = bytearray()
    while len(out) < n:
        out += rng.choice(words) + (b"\n" if rng.random() < 0.1 else b" ")
    return bytes(out[:n])
def pad(block):  # files start at sector starts and are followed by zeros
    return block + bytes(-len(block) % 512)
def jpeg(n):
    body = bytearray(os.urandom(n))
    body = body.replace(b"\xff\xd9\x00\x00", b"\xff\xd8\x00\x00")
    return (b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"
            + bytes(body) + b"\xff\xd9\x00\x00")
with open(path, "wb") as out:
    for block in range(mib):
        kind = block % 8
        if kind in (0, 1, 2):            # pictures of 20 to 200 KiB
            data = bytearray()
            while len(data) < (1 << 20):
                data += pad(jpeg(rng.randrange(20 << 10, 200 << 10)))
            data = data[:1 << 20]
        elif kind == 3:                  # text files of 1 to 16 KiB
            data = bytearray()
            while len(data) < (1 << 20):
                data += pad(text(rng.randrange(1 << 10, 16 << 10)))
            data = data[:1 << 20]
        elif kind in (4, 5):
            data = bytes(1 << 20)
        else:
            data = os.urandom(1 << 20)
        out.write(data)
PY
}

# The files both volume images hold: tree/dNN/fNNN.txt and tree/bigNN.bin.
make_tree() {
    local tree=$1
    python3 - "$tree" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(20261208)
for d in range(40):
    folder = os.path.join(root, "d%02d" % d)
    os.makedirs(folder)
    for f in range(100):
        with open(os.path.join(folder, "f%03d.txt" % f), "w") as out:
            out.write(("folder %d file %d " % (d, f)) * rng.randrange(50, 800))
for b in range(27):
    with open(os.path.join(root, "big%02d.bin" % b), "wb") as out:
        out.write(os.urandom(32 << 20))
PY
}

make_fat() {
    make_tree "$work/tree"
    rm -f "$1"
    mkfs.fat -F 32 -C "$1" 1048576 >/dev/null
    mcopy -i "$1" -s "$work/tree"/* ::/
    rm -rf "$work/tree"
}

make_ntfs() {
    make_tree "$work/tree"
    cc -O2 -o "$work/ntfs-tool" tests/fixtures/ntfs-tool/ntfs-tool.c -lntfs-3g
    truncate -s 1G "$1"
    mkntfs -F -Q -L bench "$1" >/dev/null
    local args=()
    for folder in "$work/tree"/d*; do
        local name=${folder##*/}
        args+=(mkdir "/$name")
        for file in "$folder"/*; do args+=(put "$file" "/$name/${file##*/}"); done
    done
    for file in "$work/tree"/big*; do args+=(put "$file" "/${file##*/}"); done
    "$work/ntfs-tool" "$1" "${args[@]}"
    rm -rf "$work/tree"
}

image_of() {
    local path="$images/vantrel-bench-$1-1g.img"
    if [ ! -f "$path" ]; then
        echo "making $path" >&2
        case $1 in
        database) make_mixed "$path.part" >&2 ;;
        fat) make_fat "$path.part" >&2 ;;
        ntfs) make_ntfs "$path.part" >&2 ;;
        esac
        mv "$path.part" "$path"
    fi
    echo "$path"
}

can_drop() { [ "$(id -u)" = 0 ] && [ -w /proc/sys/vm/drop_caches ]; }
drop_caches() {
    sync
    echo 3 >/proc/sys/vm/drop_caches
}

# timed CACHE COMMAND...: elapsed seconds and peak resident KiB into $elapsed and $peak.
timed() {
    local cache=$1
    shift
    [ "$cache" = cold ] && drop_caches
    /usr/bin/time -f '%e %M' -o "$work/stats" "$@"
    read -r elapsed peak <"$work/stats"
}

# measure CACHE IMAGE METHOD: one table row, each time the best of $runs.
measure() {
    local cache=$1 image=$2 method=$3
    local cat_best="" scan_best="" scan_peak=0
    for _ in $(seq "$runs"); do
        timed "$cache" sh -c "cat '$image' >/dev/null"
        cat_best=$(awk -v a="$elapsed" -v b="$cat_best" 'BEGIN { print (b == "" || a < b) ? a : b }')
        timed "$cache" sh -c \
            "'$cli' scan '$image' --method $method --json >'$work/found.jsonl' 2>'$work/log.txt' || true"
        scan_best=$(awk -v a="$elapsed" -v b="$scan_best" 'BEGIN { print (b == "" || a < b) ? a : b }')
        [ "$peak" -gt "$scan_peak" ] && scan_peak=$peak
    done
    local files
    files=$(grep -c '"type":"file"' "$work/found.jsonl" || true)
    printf '%-9s %-5s %8.2f %8.2f %7.2f %9d %7d\n' "$method" "$cache" "$cat_best" "$scan_best" \
        "$(awk -v s="$scan_best" -v c="$cat_best" 'BEGIN { print (c > 0 ? s / c : 0) }')" \
        "$scan_peak" "$files"
}

caches=(warm)
can_drop && caches=(cold warm)
echo "load: $(cut -d' ' -f1-3 /proc/loadavg); best of $runs"
printf '%-9s %-5s %8s %8s %7s %9s %7s\n' method cache "cat s" "scan s" ratio "peak KiB" files
for method in "${methods[@]}"; do
    image=$(image_of "$method")
    for cache in "${caches[@]}"; do
        [ "$cache" = warm ] && cat "$image" >/dev/null
        measure "$cache" "$image" "$method"
    done
done
echo "aim: scan / cat at most 1.10 cold and 1.50 warm"

if command -v photorec >/dev/null 2>&1; then
    image=$(image_of database)
    timed warm photorec /log /d "$work/photorec/" /cmd "$image" search
    echo "photorec (database image, warm): $elapsed s"
else
    echo "photorec: not installed; not run"
fi
