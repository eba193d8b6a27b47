#!/usr/bin/env bash
# Listings and folder scans of large volumes side by side with sleuthkit's fls, from a
# warm cache, with elapsed time, CPU time and peak memory of every run:
#   - NTFS volumes of COUNT small files in COUNT/100 folders, a tenth of them deleted
#     (mkntfs, then ntfs-3g through FUSE: needs root; skipped with a message otherwise);
#   - a FAT32 volume of 30 000 files in 300 folders, a tenth deleted (mkfs.fat, mtools).
# Contents are deterministic. Images are kept in DIR (default /tmp/vantrel-listing) and
# reused by later runs.
#
#   bench/compare-listing.sh [COUNT...]        (default: 100000 200000)
#
# BUILD (default build/scan-bench) is the release build tree holding vantrel-cli; CLI
# names another vantrel-cli to measure instead.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD:-build/scan-bench}"
dir="${DIR:-/tmp/vantrel-listing}"
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(100000 200000)
mkdir -p "$dir"

cli="${CLI:-}" # another vantrel-cli to measure (an older build, say) instead of building
if [ -z "$cli" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_TESTS=OFF >/dev/null
    cmake --build "$build" --target vantrel-cli -j2 >/dev/null
    cli="$(pwd)/$build/src/cli/vantrel-cli"
fi
command -v fls >/dev/null || { echo "fls (sleuthkit) is needed" >&2; exit 1; }
export TZ="${TZ:-}" # the zone as the user has it; the JSON listing converts every date

# make_tree ROOT COUNT FOLDERS: COUNT files of 60-300 bytes spread over FOLDERS folders.
make_tree() {
    python3 - "$1" "$2" "$3" <<'PY'
import os, sys
root, count, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for f in range(folders):
    os.makedirs(os.path.join(root, "dir%04d" % f), exist_ok=True)
for n in range(count):
    body = ("file %d of the listing benchmark\n" % n) * (1 + n % 8)
    with open(os.path.join(root, "dir%04d" % (n % folders), "f%06d.txt" % n), "w") as out:
        out.write(body)
PY
}

# delete_tenth ROOT COUNT FOLDERS: removes every tenth file.
delete_tenth() {
    python3 - "$1" "$2" "$3" <<'PY'
import os, sys
root, count, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for n in range(0, count, 10):
    os.remove(os.path.join(root, "dir%04d" % (n % folders), "f%06d.txt" % n))
PY
}

make_ntfs() { # IMAGE COUNT
    local image=$1 count=$2 mnt
    [ -f "$image" ] && return 0
    if [ "$(id -u)" != 0 ] || [ ! -e /dev/fuse ] || ! command -v ntfs-3g >/dev/null; then
        echo "NTFS $count: skipped (building it mounts the image with ntfs-3g: root and FUSE)" >&2
        return 1
    fi
    echo "making $image ($count files; takes a while)" >&2
    truncate -s $((count / 1000 * 3 + 64))M "$image.part"
    mkntfs -F -Q -L bench "$image.part" >/dev/null 2>&1
    mnt=$(mktemp -d)
    ntfs-3g "$image.part" "$mnt"
    make_tree "$mnt" "$count" $((count / 100))
    delete_tenth "$mnt" "$count" $((count / 100))
    umount "$mnt"
    rmdir "$mnt"
    mv "$image.part" "$image"
}

make_fat() { # IMAGE COUNT FOLDERS
    local image=$1 count=$2 folders=$3 tree
    [ -f "$image" ] && return 0
    echo "making $image ($count files)" >&2
    tree=$(mktemp -d)
    make_tree "$tree" "$count" "$folders"
    rm -f "$image.part"
    mkfs.fat -C -F 32 -s 1 -n BENCH "$image.part" $((count / 1000 * 1024 + 66000)) >/dev/null
    MTOOLS_SKIP_CHECK=1 mcopy -i "$image.part" -s "$tree"/* ::/
    (cd "$tree" && for n in $(seq 0 10 $((count - 1))); do
        printf '::/dir%04d/f%06d.txt\n' $((n % folders)) "$n"
    done) | MTOOLS_SKIP_CHECK=1 xargs mdel -i "$image.part"
    rm -rf "$tree"
    mv "$image.part" "$image"
}

# run LABEL OUTPUT COMMAND...: runs once to warm the cache, then measures; the output
# goes to OUTPUT. Prints elapsed and CPU seconds and peak memory.
run() {
    local label=$1 output=$2 stats
    shift 2
    stats=$(mktemp)
    "$@" >"$output" 2>/dev/null || true
    /usr/bin/time -f '%e %U %S %M' -o "$stats" "$@" >"$output" 2>/dev/null || true
    read -r elapsed user system peak <"$stats"
    rm -f "$stats"
    cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
    printf '  %-30s %7.2f s  cpu %7.2f s  peak %8d KiB  %8d rows\n' "$label" "$elapsed" "$cpu" \
        "$peak" "$(wc -l <"$output")"
}

# Rows of a scan's JSON listing that repeat another's name, size and first sector.
duplicates() {
    python3 - "$1" <<'PY'
import json, sys
seen, repeats = set(), 0
for line in open(sys.argv[1], encoding="utf-8"):
    try:
        row = json.loads(line)
    except ValueError:
        continue
    if row.get("type") != "file":
        continue
    key = (row.get("name"), row.get("size"), row.get("first_lba"))
    repeats += key in seen
    seen.add(key)
print(repeats)
PY
}

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

volume() { # KIND IMAGE SCAN-METHOD
    local kind=$1 image=$2 method=$3
    echo "$kind: $image ($(du -h --apparent-size "$image" | cut -f1))"
    run "fls -r -p" "$out/fls" fls -r -p "$image"
    local fls_time=$elapsed fls_cpu=$cpu
    run "vantrel-cli ls -r" "$out/ls" "$cli" ls "$image" -r
    local ls_time=$elapsed
    run "vantrel-cli ls -r --json" "$out/json" "$cli" ls "$image" -r --json
    local json_time=$elapsed
    run "vantrel-cli scan --method $method" "$out/scan" "$cli" scan "$image" --method "$method" --json
    local scan_time=$elapsed scan_cpu=$cpu
    echo "  scan rows repeating another's name, size and first sector: $(duplicates "$out/scan")"
    awk -v f="$fls_time" -v l="$ls_time" -v j="$json_time" -v s="$scan_time" 'BEGIN {
        if (f <= 0) f = 0.01
        printf "  ls / fls %.2f (aim 1.0)   ls --json / fls %.2f (aim 1.2)   scan / fls %.2f (aim 2.0)\n",
               l / f, j / f, s / f }'
    scan_cpus+=("$scan_cpu")
}

scan_cpus=()
for count in "${counts[@]}"; do
    image="$dir/ntfs-$count.img"
    if make_ntfs "$image" "$count"; then
        volume "NTFS, $count files" "$image" ntfs
    fi
done
if [ ${#scan_cpus[@]} -ge 2 ]; then
    awk -v a="${scan_cpus[0]}" -v b="${scan_cpus[1]}" -v n="${counts[0]}" -v m="${counts[1]}" 'BEGIN {
        printf "NTFS scan CPU, %d files against %d: %.2f times (aim 2.2 or less for twice the files)\n",
               m, n, (a > 0 ? b / a : 0) }'
fi
scan_cpus=()
fat="$dir/fat32-30000.img"
make_fat "$fat" 30000 300
volume "FAT32, 30000 files" "$fat" fat
