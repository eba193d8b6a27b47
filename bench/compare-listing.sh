#!/usr/bin/env bash
# Listings and folder scans of large volumes side by side with sleuthkit's fls, from a
# warm cache, with elapsed time, CPU time and peak memory of every run. For each COUNT:
#   - an NTFS volume of COUNT small files in COUNT/100 folders, a tenth of them deleted
#     (mkntfs, then ntfs-3g through FUSE: needs root; skipped with a message otherwise);
#   - a FAT32 volume of the same files and folders (mkfs.fat, mtools).
# Contents are deterministic. Images are kept in DIR (default /tmp/vantrel-listing) and
# reused by later runs; building them is heavy, so run the first time under nice.
#
#   bench/compare-listing.sh [COUNT...]        (default: 100000 200000)
#
# Every command runs once to warm the cache, then RUNS times (default 3); the best of
# each figure is shown. Without fls its columns read "-". BUILD (default build/scan-bench)
# is the release build tree holding vantrel-cli; CLI names another vantrel-cli to measure
# instead. Figures and how they were reached: bench/compare-listing.md.
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
runs="${RUNS:-3}"
have_fls=1
command -v fls >/dev/null || {
    have_fls=0
    echo "fls (sleuthkit) is missing: its columns are left empty" >&2
}
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
    command -v mkfs.fat >/dev/null && command -v mcopy >/dev/null || {
        echo "FAT32 $count: skipped (needs mkfs.fat and mtools)" >&2
        return 1
    }
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

# measure OUTPUT COMMAND...: one warm-up run, then RUNS measured ones; sets wall, cpu
# (seconds) and peak (KiB) to the best of each and rows to the lines of OUTPUT.
measure() {
    local output=$1 stats best
    shift
    stats=$(mktemp)
    best=$(mktemp)
    "$@" >"$output" 2>/dev/null || true
    for _ in $(seq "$runs"); do
        /usr/bin/time -f '%e %U %S %M' -o "$stats" "$@" >"$output" 2>/dev/null || true
        tail -n 1 "$stats" >>"$best"
    done
    read -r wall cpu peak < <(awk 'NR == 1 || $1 < w { w = $1 }
        NR == 1 || $2 + $3 < c { c = $2 + $3 }
        NR == 1 || $4 < m { m = $4 }
        END { printf "%.2f %.2f %d\n", w, c, m }' "$best")
    rows=$(wc -l <"$output")
    rm -f "$stats" "$best"
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
table="$out/table"
notes="$out/notes"
: >"$table"
: >"$notes"

volume() { # KIND COUNT IMAGE SCAN-METHOD
    local kind=$1 count=$2 image=$3 method=$4 fls_wall=- fls_cpu=- fls_peak=-
    echo "measuring $kind, $count files ($(du -h --apparent-size "$image" | cut -f1))" >&2
    if [ "$have_fls" = 1 ]; then
        measure "$out/fls" fls -r -p "$image"
        fls_wall=$wall fls_cpu=$cpu fls_peak=$peak
    fi
    local name args
    for name in "ls -r" "ls -r --json" "scan --method $method"; do
        case $name in
        "ls -r") args=(ls "$image" -r) ;;
        "ls -r --json") args=(ls "$image" -r --json) ;;
        *) args=(scan "$image" --method "$method" --json) ;;
        esac
        measure "$out/vantrel" "$cli" "${args[@]}"
        printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$kind" "$count" "$name" "$fls_wall" \
            "$fls_cpu" "$fls_peak" "$wall" "$cpu" "$peak" $((peak * 1024 / (rows > 0 ? rows : 1))) \
            >>"$table"
    done
    echo "$kind $count files: scan rows repeating another's name, size and first sector:" \
        "$(duplicates "$out/vantrel")" >>"$notes"
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for count in "${counts[@]}"; do
    folders=$((count / 100))
    image="$dir/ntfs-$count.img"
    if make_ntfs "$image" "$count"; then
        volume NTFS "$count" "$image" ntfs
    fi
    image="$dir/fat32-$count.img"
    if make_fat "$image" "$count" "$folders"; then
        volume FAT32 "$count" "$image" fat
    fi
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# The table: fls beside each Vantrel command on the same volume; ratios of elapsed and
# CPU time to fls (the aims hold for NTFS); memory per listed row.
echo
echo "best of $runs runs, warm cache; load average $load_before before, $load_after after"
awk -F'\t' '
    BEGIN {
        aim["ls -r"] = "1.0"; aim["ls -r --json"] = "1.2"; aim["scan --method ntfs"] = "2.0"
        printf "%-6s %7s %-20s | %-24s | %-31s | %s\n", "", "", "", "fls -r -p",
               "vantrel-cli", "vantrel / fls"
        printf "%-6s %7s %-20s | %7s %7s %8s | %7s %7s %8s %6s | %5s %5s %s\n", "volume",
               "files", "command", "wall s", "cpu s", "peak MB", "wall s", "cpu s", "peak MB",
               "B/row", "wall", "cpu", "aim"
    }
    function ratio(a, b) { return (b == "-" || b <= 0) ? "-" : sprintf("%.2f", a / b) }
    function mb(k) { return k == "-" ? "-" : sprintf("%.1f", k / 1024) }
    {
        printf "%-6s %7d %-20s | %7s %7s %8s | %7.2f %7.2f %8s %6s | %5s %5s %s\n", $1, $2,
               $3, $4, $5, mb($6), $7, $8, mb($9), $10, ratio($7, $4), ratio($8, $5),
               ($1 == "NTFS" ? aim[$3] : "")
        n = ++seen[$1 SUBSEP $3]
        cpu[$1 SUBSEP $3 SUBSEP n] = $8
        files[$1 SUBSEP $3 SUBSEP n] = $2
    }
    END {
        print ""
        for (key in seen) {
            if (seen[key] < 2)
                continue
            split(key, k, SUBSEP)
            a = cpu[key SUBSEP 1]; b = cpu[key SUBSEP 2]
            printf "%s %s: cpu %d files / %d files = %s (aim 2.2 or less for twice the files)\n",
                   k[1], k[2], files[key SUBSEP 2], files[key SUBSEP 1],
                   (a > 0 ? sprintf("%.2f", b / a) : "-")
        }
    }' "$table"
cat "$notes"
