#include "fs/fat/FatDirEntry.h"

#include "fs/fat/FatCharacters.h"
#include "fs/fat/FatLongNameEntry.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

namespace {

// Single-byte characters a short name may hold besides letters, digits and bytes >= 0x80.
bool IsNameSymbol(std::uint8_t c) {
    return c == 0x21 || (c >= 0x23 && c <= 0x29) || c == 0x2D || c == 0x40 ||
           (c >= 0x5E && c <= 0x60) || c == 0x7B || c == 0x7D || c == 0x7E;
}

bool IsValidSingleByte(std::uint8_t c, bool doubleByteCodePage) {
    if (c >= 0x80)
        // In Shift-JIS only the half-width katakana are single-byte characters up here.
        return !doubleByteCodePage || (c >= 0xA1 && c <= 0xDF);
    if (c < 0x20)
        return false;
    return c == ' ' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           IsNameSymbol(c);
}

bool HasName(Bytes slot, const char (&name)[12]) {
    return slot.size() >= kFatDirEntryBytes && std::memcmp(slot.data(), name, 11) == 0;
}

// Characters of a name field; inner blanks are allowed only in a volume label.
bool IsValidField(Bytes field, bool firstOfName, bool innerBlanks) {
    const FatCharacters chars;
    bool spaceSeen = false;
    for (std::size_t i = 0; i < field.size(); ++i) {
        std::uint8_t c = field[i];
        if (i == 0 && firstOfName && c == kFatKanjiE5Mark)
            c = kFatDeletedMark;
        if (c == 0)
            return false;
        if (spaceSeen && c != ' ' && !innerBlanks)
            return false;
        if (c == ' ') {
            spaceSeen = true;
            continue;
        }
        if (chars.IsLead(c) && i + 1 < field.size() && FatCharacters::IsTrail(field[i + 1])) {
            ++i;
            continue;
        }
        if (!IsValidSingleByte(c, chars.DoubleByte()))
            return false;
    }
    return true;
}

// The fields of a parsed entry written back over its stored slot, so that the slot tests
// also hold for an entry a caller made up (such as a FAT32 root folder).
std::array<std::uint8_t, kFatDirEntryBytes> SlotOf(const FatDirEntry& entry) {
    std::array<std::uint8_t, kFatDirEntryBytes> slot = entry.raw;
    std::copy(entry.name.begin(), entry.name.end(), slot.begin());
    slot[11] = entry.attributes;
    slot[12] = entry.ntFlags;
    PutLe(slot, 20, entry.firstCluster >> 16, 2);
    PutLe(slot, 26, entry.firstCluster & 0xFFFFu, 2);
    PutLe(slot, 28, entry.fileSize, 4);
    return slot;
}

} // namespace

bool ParseDirEntry(FatDirEntry& entry, Bytes slot) {
    entry = FatDirEntry{};
    if (slot.size() < kFatDirEntryBytes)
        return false;
    const ByteReader in(slot.first(kFatDirEntryBytes));
    std::copy_n(slot.begin(), kFatDirEntryBytes, entry.raw.begin());
    std::copy_n(slot.begin(), entry.name.size(), entry.name.begin()); // 0
    entry.attributes = in.U8(11);
    entry.ntFlags = in.U8(12);
    entry.createTimeTenths = in.U8(13);
    entry.createTime = in.U16(14);
    entry.createDate = in.U16(16);
    entry.accessDate = in.U16(18);
    entry.firstCluster = (std::uint32_t{in.U16(20)} << 16) | in.U16(26);
    entry.writeTime = in.U16(22);
    entry.writeDate = in.U16(24);
    entry.fileSize = in.U32(28);
    return true;
}

bool IsValidNameField(Bytes field, bool firstOfName) {
    return IsValidField(field, firstOfName, false);
}

bool IsDeleted(Bytes slot) {
    return slot.size() >= kFatDirEntryBytes && slot[0] == kFatDeletedMark;
}

bool IsVolumeLabel(Bytes slot) {
    return slot.size() >= kFatDirEntryBytes && !IsLongNameEntry(slot) &&
           (slot[11] & kFatAttrVolumeLabel) != 0;
}

bool IsDirectory(Bytes slot) {
    return slot.size() >= kFatDirEntryBytes && !IsLongNameEntry(slot) &&
           (slot[11] & kFatAttrDirectory) != 0;
}

bool IsDotEntry(Bytes slot) {
    return IsDirectory(slot) && HasName(slot, ".          ");
}

bool IsDotDotEntry(Bytes slot) {
    return IsDirectory(slot) && HasName(slot, "..         ");
}

bool IsShortEntry(Bytes slot) {
    if (slot.size() < kFatDirEntryBytes || IsLongNameEntry(slot))
        return false;
    if (IsDotEntry(slot) || IsDotDotEntry(slot))
        return true;
    if (slot[0] == ' ')
        return false;
    // Labels are one 11-character field and may hold blanks ("MY DISK"); treating them
    // as 8.3 names would end every root directory listing at its label.
    if ((slot[11] & kFatAttrVolumeLabel) != 0)
        return IsValidField(slot.first(11), true, true);
    const bool baseOk = IsDeleted(slot) || IsValidNameField(slot.first(8), true);
    return baseOk && IsValidNameField(slot.subspan(8, 3), false);
}

bool IsFileEntry(Bytes slot) {
    return IsShortEntry(slot) && !IsVolumeLabel(slot) && !IsDirectory(slot);
}

bool IsPlausibleEntry(Bytes slot) {
    return IsLongNameEntry(slot) || IsShortEntry(slot);
}

bool IsDeleted(const FatDirEntry& entry) {
    const auto slot = SlotOf(entry);
    return IsDeleted(Bytes(slot));
}
bool IsVolumeLabel(const FatDirEntry& entry) {
    const auto slot = SlotOf(entry);
    return IsVolumeLabel(Bytes(slot));
}
bool IsDirectory(const FatDirEntry& entry) {
    const auto slot = SlotOf(entry);
    return IsDirectory(Bytes(slot));
}
bool IsDotEntry(const FatDirEntry& entry) {
    const auto slot = SlotOf(entry);
    return IsDotEntry(Bytes(slot));
}
bool IsDotDotEntry(const FatDirEntry& entry) {
    const auto slot = SlotOf(entry);
    return IsDotDotEntry(Bytes(slot));
}
bool IsShortEntry(const FatDirEntry& entry) {
    const auto slot = SlotOf(entry);
    return IsShortEntry(Bytes(slot));
}
bool IsFileEntry(const FatDirEntry& entry) {
    const auto slot = SlotOf(entry);
    return IsFileEntry(Bytes(slot));
}

} // namespace vantrel
