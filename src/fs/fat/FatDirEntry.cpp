#include "fs/fat/FatDirEntry.h"

#include "fs/fat/FatCharacters.h"
#include "fs/fat/FatLongNameEntry.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

namespace {

bool HasName(Bytes slot, const char (&name)[12]) {
    return slot.size() >= 11 && std::memcmp(slot.data(), name, 11) == 0;
}

// Characters of a name field; inner blanks are allowed only in a volume label.
bool IsValidField(const FatCharClasses& classes, const std::uint8_t* field, std::size_t size,
                  bool firstOfName, bool innerBlanks) {
    bool spaceSeen = false;
    for (std::size_t i = 0; i < size; ++i) {
        std::uint8_t c = field[i];
        if (i == 0 && firstOfName && c == kFatKanjiE5Mark)
            c = kFatDeletedMark;
        if (c == ' ') {
            spaceSeen = true;
            continue;
        }
        if (spaceSeen && !innerBlanks)
            return false;
        const std::uint8_t bits = classes[c];
        if ((bits & kFatCharLead) != 0 && i + 1 < size &&
            (classes[field[i + 1]] & kFatCharTrail) != 0) {
            ++i;
            continue;
        }
        if ((bits & kFatCharName) == 0) // NUL included
            return false;
    }
    return true;
}

// IsShortEntry for a slot of 32 bytes or more that is not a long-name entry.
bool IsShortSlot(Bytes slot, const FatCharClasses& classes) {
    const std::uint8_t attributes = slot[11];
    if ((attributes & kFatAttrDirectory) != 0 &&
        (HasName(slot, ".          ") || HasName(slot, "..         ")))
        return true;
    if (slot[0] == ' ')
        return false;
    // Labels are one 11-character field and may hold blanks ("MY DISK"); treating them
    // as 8.3 names would end every root directory listing at its label.
    if ((attributes & kFatAttrVolumeLabel) != 0)
        return IsValidField(classes, slot.data(), 11, true, true);
    const bool baseOk =
        slot[0] == kFatDeletedMark || IsValidField(classes, slot.data(), 8, true, false);
    return baseOk && IsValidField(classes, slot.data() + 8, 3, false, false);
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
    return IsValidField(FatCharacters().Classes(), field.data(), field.size(), firstOfName, false);
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
    return IsShortSlot(slot, FatCharacters().Classes());
}

bool IsFileEntry(Bytes slot) {
    return IsShortEntry(slot) && !IsVolumeLabel(slot) && !IsDirectory(slot);
}

bool IsPlausibleEntry(Bytes slot) {
    return IsPlausibleEntry(slot, FatCharacters());
}

bool IsPlausibleEntry(Bytes slot, const FatCharacters& chars) {
    if (slot.size() < kFatDirEntryBytes)
        return false;
    return IsLongNameEntry(slot) || IsShortSlot(slot, chars.Classes());
}

namespace {

// Only an entry with the long-name attribute needs its slot put together to be told
// from a long-name entry; every other test reads the parsed fields.
bool IsLongNameSlot(const FatDirEntry& entry) {
    if (entry.attributes != kFatAttrLongName)
        return false;
    const auto slot = SlotOf(entry);
    return IsLongNameEntry(Bytes(slot));
}

} // namespace

bool IsDeleted(const FatDirEntry& entry) {
    return entry.name[0] == kFatDeletedMark;
}
bool IsVolumeLabel(const FatDirEntry& entry) {
    return (entry.attributes & kFatAttrVolumeLabel) != 0 && !IsLongNameSlot(entry);
}
bool IsDirectory(const FatDirEntry& entry) {
    return (entry.attributes & kFatAttrDirectory) != 0 && !IsLongNameSlot(entry);
}
bool IsDotEntry(const FatDirEntry& entry) {
    return IsDirectory(entry) && HasName(Bytes(entry.name.data(), 11), ".          ");
}
bool IsDotDotEntry(const FatDirEntry& entry) {
    return IsDirectory(entry) && HasName(Bytes(entry.name.data(), 11), "..         ");
}
bool IsShortEntry(const FatDirEntry& entry) {
    const auto slot = SlotOf(entry);
    return IsShortEntry(Bytes(slot));
}
bool IsFileEntry(const FatDirEntry& entry) {
    const auto slot = SlotOf(entry);
    return IsFileEntry(Bytes(slot));
}

FatListedKind ListedKind(const FatDirEntry& entry) {
    if (IsLongNameSlot(entry))
        return FatListedKind::kNone;
    const bool directory = (entry.attributes & kFatAttrDirectory) != 0;
    const Bytes name(entry.name.data(), 11);
    if ((entry.attributes & kFatAttrVolumeLabel) != 0 ||
        (directory && (HasName(name, ".          ") || HasName(name, "..         "))))
        return FatListedKind::kNone;
    if (directory)
        return FatListedKind::kDirectory;
    const auto slot = SlotOf(entry);
    return IsShortSlot(Bytes(slot), FatCharacters().Classes()) ? FatListedKind::kFile
                                                               : FatListedKind::kNone;
}

} // namespace vantrel
