#!/usr/bin/env bash
# Side-by-side timing of the database scan against reading the same image with cat (and
# photorec, only when it is already installed), on a 1 GiB image of mixed content:
# pictures with random bodies, short text files, zeroed and random stretches.
#
#   bench/compare-scan.sh [IMAGE]
#
# BUILD (default build/scan-bench) is the release build tree holding vantrel-cli. As root
# the page cache is dropped before every run, so each one reads from the disk.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD:-build/scan-bench}"
image="${1:-/tmp/vantrel-bench-1g.img}"
size_mib="${SIZE_MIB:-1024}"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_TESTS=OFF >/dev/null
cmake --build "$build" --target vantrel-cli -j2 >/dev/null
cli="$build/src/cli/vantrel-cli"

if [ ! -f "$image" ]; then
    echo "making $image ($size_mib MiB)" >&2
    python3 - "$image" "$size_mib" <<'PY'
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
fi

drop_caches() {
    if [ "$(id -u)" = 0 ] && [ -w /proc/sys/vm/drop_caches ]; then
        sync
        echo 3 >/proc/sys/vm/drop_caches
    fi
}

# run NAME COMMAND...: elapsed seconds and peak resident KiB into $elapsed and $peak.
run() {
    local name=$1
    shift
    drop_caches
    local stats
    stats=$(mktemp)
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f '%e %M' -o "$stats" "$@"
        read -r elapsed peak <"$stats"
    else
        local start end
        start=$(date +%s.%N)
        "$@"
        end=$(date +%s.%N)
        elapsed=$(echo "$end - $start" | bc)
        peak=0
    fi
    rm -f "$stats"
    printf '%-34s %8.2f s  peak %7d KiB\n' "$name" "$elapsed" "$peak"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "image: $image ($(du -h --apparent-size "$image" | cut -f1))"

run "cat" sh -c "cat '$image' >/dev/null"
cat_time=$elapsed

run "vantrel-cli scan --method database" sh -c \
    "'$cli' scan '$image' --method database --json >'$work/found.jsonl' 2>'$work/log.txt' || true"
scan_time=$elapsed
scan_peak=$peak
files=$(grep -c '"type":"file"' "$work/found.jsonl" || true)

photorec_time=""
if command -v photorec >/dev/null 2>&1; then
    run "photorec" photorec /log /d "$work/photorec/" /cmd "$image" search
    photorec_time=$elapsed
else
    echo "photorec                           (not installed; not run)"
fi

echo
echo "files found by the scan:     $files"
awk -v s="$scan_time" -v c="$cat_time" 'BEGIN { printf "scan / cat:                  %.2f (aim: 2.00 or less)\n", (c > 0 ? s / c : 0) }'
if [ -n "$photorec_time" ]; then
    awk -v s="$scan_time" -v p="$photorec_time" 'BEGIN { printf "scan / photorec:             %.2f\n", (p > 0 ? s / p : 0) }'
fi
awk -v m="$scan_peak" -v f="$files" 'BEGIN { printf "scan peak memory:            %d KiB (%.2f KiB per file found)\n", m, (f > 0 ? m / f : 0) }'
