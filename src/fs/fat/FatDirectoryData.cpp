#include "fs/fat/FatDirectoryData.h"

#include "fs/fat/FatDirEntry.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

namespace {

std::size_t TextLength(const FatCharClasses& classes, const std::uint8_t* data, std::size_t size) {
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t bits = classes[data[i]];
        if ((bits & kFatCharLead) != 0 && i + 1 < size &&
            (classes[data[i + 1]] & kFatCharTrail) != 0) {
            i += 2;
            continue;
        }
        if ((bits & kFatCharText) == 0)
            break;
        ++i;
    }
    return i;
}

bool IsFillSlot(const std::uint8_t* slot) {
    std::uint32_t words[kFatDirEntryBytes / 4];
    std::memcpy(words, slot, sizeof words);
    for (const std::uint32_t word : words)
        if (word != words[0])
            return false;
    return true;
}

// False when the first slot of a sector can be no plausible entry: neither a long-name
// attribute, nor a dot name, nor 11 name bytes (8 base bytes not needed when deleted) of
// which each could stand in a valid field. One table lookup per byte and no branch on
// each, since most sectors a scan tests hold random data and fail here.
inline bool MayStartWithEntry(const FatCharClasses& classes, const std::uint8_t* slot) {
    const std::uint8_t first = slot[0] == kFatKanjiE5Mark ? kFatCharInName : classes[slot[0]];
    const unsigned base = first & classes[slot[1]] & classes[slot[2]] & classes[slot[3]] &
                          classes[slot[4]] & classes[slot[5]] & classes[slot[6]] & classes[slot[7]];
    const unsigned extension = classes[slot[8]] & classes[slot[9]] & classes[slot[10]];
    const bool shortName = ((extension & kFatCharInName) != 0) &
                           (((base & kFatCharInName) != 0) | (slot[0] == kFatDeletedMark));
    return shortName | (slot[11] == kFatAttrLongName) | (slot[0] == '.');
}

// False when a sector cannot end as directory data does: its last whole slot either
// lies in the zeros after the entries or is an entry itself, and a piece shorter than a
// slot after it is zeros.
bool MayEndDirectory(const FatCharClasses& classes, Bytes data) {
    const std::size_t whole = data.size() / kFatDirEntryBytes * kFatDirEntryBytes;
    for (std::size_t i = whole; i < data.size(); ++i)
        if (data[i] != 0)
            return false;
    const std::uint8_t* last = data.data() + whole - kFatDirEntryBytes;
    std::uint64_t words[kFatDirEntryBytes / 8];
    std::memcpy(words, last, sizeof words);
    const bool zeros = (words[0] | words[1] | words[2] | words[3]) == 0;
    return zeros || MayStartWithEntry(classes, last);
}

std::size_t EntryPrefix(Bytes data, const FatCharacters& chars) {
    const FatCharClasses& classes = chars.Classes();
    std::size_t offset = 0;
    while (data.size() - offset >= kFatDirEntryBytes) {
        const Bytes slot = data.subspan(offset, kFatDirEntryBytes);
        if (IsFillSlot(slot.data()) ||
            TextLength(classes, slot.data(), kFatDirEntryBytes) >= kFatDirEntryBytes ||
            !IsPlausibleEntry(slot, chars))
            break;
        offset += kFatDirEntryBytes;
    }
    return offset;
}

// The rest of IsDirectoryCluster, for data that passed the two looks above.
bool PassesFullTest(Bytes data, const FatCharacters& chars) {
    if (TextLength(chars.Classes(), data.data(), std::min<std::size_t>(data.size(), 34)) > 32)
        return false;
    const std::size_t prefix = EntryPrefix(data, chars);
    if (prefix == 0)
        return false;
    const Bytes rest = data.subspan(prefix);
    return std::all_of(rest.begin(), rest.end(), [](std::uint8_t b) { return b == 0; });
}

} // namespace

std::size_t LeadingTextLength(Bytes data) {
    return TextLength(FatCharacters().Classes(), data.data(), data.size());
}

std::size_t PlausibleEntryPrefix(Bytes data) {
    return EntryPrefix(data, FatCharacters());
}

std::size_t PlausibleEntryPrefix(Bytes data, const FatCharacters& chars) {
    return EntryPrefix(data, chars);
}

bool IsDirectoryCluster(Bytes data) {
    return IsDirectoryCluster(data, FatCharacters());
}

bool IsDirectoryCluster(Bytes data, const FatCharacters& chars) {
    // Shorter than a slot, the prefix is empty.
    if (data.size() < kFatDirEntryBytes || !MayStartWithEntry(chars.Classes(), data.data()) ||
        !MayEndDirectory(chars.Classes(), data))
        return false;
    return PassesFullTest(data, chars);
}

void MarkDirectoryClusters(Bytes sectors, std::size_t sectorSize, const FatCharacters& chars,
                           std::span<std::uint64_t> marks, std::uint64_t bit) {
    const FatCharClasses& classes = chars.Classes();
    const std::size_t count = sectorSize == 0 ? 0 : sectors.size() / sectorSize;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        bool directory = false;
        if (i < count && sectorSize >= kFatDirEntryBytes) {
            const Bytes sector = sectors.subspan(i * sectorSize, sectorSize);
            directory = MayStartWithEntry(classes, sector.data()) &&
                        MayEndDirectory(classes, sector) && PassesFullTest(sector, chars);
        }
        marks[i] = directory ? bit : 0;
    }
}

} // namespace vantrel
