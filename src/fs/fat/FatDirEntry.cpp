#include "fs/fat/FatDirEntry.h"

#include "fs/fat/FatLongNameEntry.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

namespace {

bool IsTrailByte(std::uint8_t byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

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
    const bool doubleByte = IsAnsiLeadByte(0x81);
    bool spaceSeen = false;
    for (std::size_t i = 0; i < field.size(); ++i) {
        std::uint8_t c = field[i];
        if (i == 0 && firstOfName && c == kFatKanjiE5Mark)
            c = kFatDeletedMark;
        if (c == 0)
            return false;
        if (spaceSeen) {
            if (c != ' ')
                return false;
            continue;
        }
        if (c == ' ') {
            spaceSeen = true;
            continue;
        }
        if (IsAnsiLeadByte(c) && i + 1 < field.size() && IsTrailByte(field[i + 1])) {
            ++i;
            continue;
        }
        if (!IsValidSingleByte(c, doubleByte))
            return false;
    }
    return true;
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
    return IsDeleted(Bytes(entry.raw));
}
bool IsVolumeLabel(const FatDirEntry& entry) {
    return IsVolumeLabel(Bytes(entry.raw));
}
bool IsDirectory(const FatDirEntry& entry) {
    return IsDirectory(Bytes(entry.raw));
}
bool IsDotEntry(const FatDirEntry& entry) {
    return IsDotEntry(Bytes(entry.raw));
}
bool IsDotDotEntry(const FatDirEntry& entry) {
    return IsDotDotEntry(Bytes(entry.raw));
}
bool IsShortEntry(const FatDirEntry& entry) {
    return IsShortEntry(Bytes(entry.raw));
}
bool IsFileEntry(const FatDirEntry& entry) {
    return IsFileEntry(Bytes(entry.raw));
}

} // namespace vantrel
