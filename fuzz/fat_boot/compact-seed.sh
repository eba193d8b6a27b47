#!/usr/bin/env bash
# Makes the compact FAT12 seed: two 512-byte FATs, 16 root entries and 512-byte clusters,
# so that long and Shift-JIS names, nested and deleted folders, a fragmented file and
# file data all fit in the first 16 sectors (the target's max_len). mkfs.fat will not
# make a volume this small, so the image is cut after its last used sector; the reader
# must cope with a volume larger than its image anyway.
#
# With DISK, the same volume is also written as the one partition of an MBR disk (LBA 1).
#
#   fuzz/fat_boot/compact-seed.sh OUT [DISK]
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/fixtures/fat_common.sh"
out=${1:?usage: compact-seed.sh OUT [DISK]}
disk=${2:-}
fat_image=$(mktemp)
fat_work=$(mktemp -d)
trap 'rm -rf "$fat_work" "$fat_image"' EXIT
rm -f "$fat_image"
mkfs.fat -C -F 12 -f 2 -r 16 -s 1 -R 1 -n VANTREL -i 1234ABCD "$fat_image" 48 >/dev/null
sjis="$fat_work/sjis.rc"
printf 'default_codepage=932\n' >"$sjis"

fat_put live 100 readme "README.TXT"
fat_put live 400 spaces "Long File Name With Spaces.txt"
fat_put sjis 200 kanji "KANJI.JPG" "漢字.JPG"
fat_patch_name "KANJI   JPG" '\x8a\xbf\x8e\x9a\x20'
fat_put sjis 0 kanjie5 "E5NAME.TXT" "蕁NAME.TXT"
fat_patch_name "E5NAME  TXT" '\x05\x40NAME'
fat_dir "日本語のフォルダ"
fat_dir "日本語のフォルダ/Sub Folder"
fat_put live 33 lower "日本語のフォルダ/Sub Folder/lower.txt"
fat_put gone 512 fraga "FRAG_A.BIN"
fat_put live 100 fragb "FRAG_B.BIN"
mdel -i "$fat_image" "::/FRAG_A.BIN"
fat_put fragmented 700 fragment "FRAGMENT.BIN"
fat_put deleted 300 deleted "DELETED.TXT" "_ELETED.TXT"
fat_dir "Old Folder"
mdel -i "$fat_image" "::/DELETED.TXT"
mdeltree -i "$fat_image" "::/Old Folder"
head -c 8192 "$fat_image" >"$out"
if [ -n "$disk" ]; then
    rm -f "$disk"
    truncate -s $((512 + 48 * 1024)) "$disk"
    printf 'label: dos\nlabel-id: 0x1234abcd\nstart=1, size=96, type=1\n' | sfdisk -q "$disk"
    dd if="$out" of="$disk" bs=512 seek=1 conv=notrunc status=none
    truncate -s $((512 + 8192)) "$disk"
fi
