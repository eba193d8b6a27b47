#pragma once

// The directory-slot tests as they were written before raw-sector scans needed them fast:
// one byte at a time, every rule spelled out. Kept as the reference the table-driven
// tests must agree with on every input.

#include "fs/fat/FatCharacters.h"
#include "fs/fat/FatDirEntry.h"
#include "fs/fat/FatLongNameEntry.h"

#include <algorithm>
#include <cstring>

namespace vantrel::reference {

inline bool IsNameSymbol(std::uint8_t c) {
    return c == 0x21 || (c >= 0x23 && c <= 0x29) || c == 0x2D || c == 0x40 ||
           (c >= 0x5E && c <= 0x60) || c == 0x7B || c == 0x7D || c == 0x7E;
}

inline bool IsValidSingleByte(std::uint8_t c, bool doubleByte) {
    if (c >= 0x80)
        return !doubleByte || (c >= 0xA1 && c <= 0xDF);
    if (c < 0x20)
        return false;
    return c == ' ' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           IsNameSymbol(c);
}

inline bool IsLongNameEntry(Bytes slot) {
    if (slot.size() < kFatDirEntryBytes || slot[11] != kFatAttrLongName)
        return false;
    const ByteReader in(slot.first(kFatDirEntryBytes));
    if (in.U8(12) != 0 || in.U16(26) != 0)
        return false;
    enum { kName, kPadding } state = kName;
    for (const char16_t c : LongNameSlotChars(slot)) {
        if (state == kName) {
            if (c == 0x0000)
                state = kPadding;
            else if (c == 0xFFFF)
                return false;
        } else if (c != 0xFFFF) {
            return false;
        }
    }
    return true;
}

inline bool IsValidField(Bytes field, bool firstOfName, bool innerBlanks, bool doubleByte) {
    const FatCharacters chars(doubleByte);
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

inline bool IsDirectory(Bytes slot) {
    return slot.size() >= kFatDirEntryBytes && !IsLongNameEntry(slot) &&
           (slot[11] & kFatAttrDirectory) != 0;
}

inline bool HasName(Bytes slot, const char (&name)[12]) {
    return slot.size() >= kFatDirEntryBytes && std::memcmp(slot.data(), name, 11) == 0;
}

inline bool IsShortEntry(Bytes slot, bool doubleByte) {
    if (slot.size() < kFatDirEntryBytes || IsLongNameEntry(slot))
        return false;
    if (IsDirectory(slot) && (HasName(slot, ".          ") || HasName(slot, "..         ")))
        return true;
    if (slot[0] == ' ')
        return false;
    if ((slot[11] & kFatAttrVolumeLabel) != 0)
        return IsValidField(slot.first(11), true, true, doubleByte);
    const bool baseOk =
        slot[0] == kFatDeletedMark || IsValidField(slot.first(8), true, false, doubleByte);
    return baseOk && IsValidField(slot.subspan(8, 3), false, false, doubleByte);
}

inline bool IsPlausibleEntry(Bytes slot, bool doubleByte) {
    return IsLongNameEntry(slot) || IsShortEntry(slot, doubleByte);
}

inline std::size_t LeadingTextLength(Bytes data, bool doubleByte) {
    const FatCharacters chars(doubleByte);
    std::size_t i = 0;
    while (i < data.size()) {
        const std::uint8_t c = data[i];
        if (chars.IsLead(c) && i + 1 < data.size() && FatCharacters::IsTrail(data[i + 1])) {
            i += 2;
            continue;
        }
        if (!((c >= 0x20 && c <= 0x7E) || (c >= 0xA1 && c <= 0xDF) || c == '\t' || c == '\n' ||
              c == '\r'))
            break;
        ++i;
    }
    return i;
}

inline bool IsFillSlot(Bytes slot) {
    const ByteReader in(slot);
    const std::uint32_t first = in.U32(0);
    for (std::size_t offset = 4; offset < kFatDirEntryBytes; offset += 4)
        if (in.U32(offset) != first)
            return false;
    return true;
}

inline std::size_t PlausibleEntryPrefix(Bytes data, bool doubleByte) {
    std::size_t offset = 0;
    while (data.size() - offset >= kFatDirEntryBytes) {
        const Bytes slot = data.subspan(offset, kFatDirEntryBytes);
        if (IsFillSlot(slot) || LeadingTextLength(slot, doubleByte) >= kFatDirEntryBytes ||
            !IsPlausibleEntry(slot, doubleByte))
            break;
        offset += kFatDirEntryBytes;
    }
    return offset;
}

inline bool IsDirectoryCluster(Bytes data, bool doubleByte) {
    if (LeadingTextLength(data.first(std::min<std::size_t>(data.size(), 34)), doubleByte) > 32)
        return false;
    const std::size_t prefix = PlausibleEntryPrefix(data, doubleByte);
    if (prefix == 0)
        return false;
    const Bytes rest = data.subspan(prefix);
    return std::all_of(rest.begin(), rest.end(), [](std::uint8_t b) { return b == 0; });
}

} // namespace vantrel::reference
