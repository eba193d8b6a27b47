#include "fs/fat/FatLongNameEntry.h"

#include <algorithm>

namespace vantrel {

namespace {

// Offsets and counts of the three character runs of a long-name slot.
struct CharRun {
    std::size_t offset;
    std::size_t count;
};
constexpr CharRun kCharRuns[] = {{1, 5}, {14, 6}, {28, 2}};

bool IsAttributeLongName(Bytes slot) {
    return slot.size() >= kFatDirEntryBytes && slot[11] == kFatAttrLongName;
}

} // namespace

std::u16string LongNameSlotChars(Bytes slot) {
    std::u16string chars;
    if (slot.size() < kFatDirEntryBytes)
        return chars;
    const ByteReader in(slot.first(kFatDirEntryBytes));
    for (const CharRun& run : kCharRuns)
        for (std::size_t i = 0; i < run.count; ++i)
            chars.push_back(static_cast<char16_t>(in.U16(run.offset + 2 * i)));
    return chars;
}

bool IsLongNameEntry(Bytes slot) {
    if (!IsAttributeLongName(slot))
        return false;
    if (slot[12] != 0 || slot[26] != 0 || slot[27] != 0) // type byte, first-cluster word
        return false;
    // Name characters, then at most one terminator, then only padding. Read in place:
    // scans test every slot whose attribute byte happens to be 0x0F.
    bool padding = false;
    for (const CharRun& run : kCharRuns) {
        for (std::size_t i = 0; i < run.count; ++i) {
            const std::size_t at = run.offset + 2 * i;
            const unsigned c = slot[at] | (unsigned{slot[at + 1]} << 8);
            if (padding) {
                if (c != 0xFFFF)
                    return false;
            } else if (c == 0x0000) {
                padding = true;
            } else if (c == 0xFFFF) {
                return false;
            }
        }
    }
    return true;
}

std::uint8_t ShortNameChecksum(Bytes name11) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < 11 && i < name11.size(); ++i)
        sum = static_cast<std::uint8_t>(((sum & 1u) << 7) + (sum >> 1) + name11[i]);
    return sum;
}

std::size_t SkipLongNameEntries(Bytes directory, std::size_t index, std::size_t count) {
    count = std::min(count, directory.size() / kFatDirEntryBytes);
    while (index < count &&
           IsAttributeLongName(directory.subspan(index * kFatDirEntryBytes, kFatDirEntryBytes)))
        ++index;
    return std::min(index + 1, count);
}

bool AttachLongName(FatDirEntry& entry, Bytes directory, std::size_t index, std::size_t count,
                    std::size_t* shortIndex) {
    count = std::min(count, directory.size() / kFatDirEntryBytes);
    if (index >= count)
        return false;
    auto slotAt = [&](std::size_t i) {
        return directory.subspan(i * kFatDirEntryBytes, kFatDirEntryBytes);
    };
    const Bytes first = slotAt(index);
    if (!IsAttributeLongName(first) || (first[0] & kFatLastLongNamePart) == 0 || first[12] != 0)
        return false;
    std::size_t shortAt = index + 1;
    while (shortAt < count && IsAttributeLongName(slotAt(shortAt)))
        ++shortAt;
    if (shortAt >= count)
        return false;
    if (!ParseDirEntry(entry, slotAt(shortAt)))
        return false;
    if (shortIndex)
        *shortIndex = shortAt;

    if (!IsDeleted(entry)) {
        const std::uint8_t sum = ShortNameChecksum(Bytes(entry.name));
        for (std::size_t i = index; i < shortAt; ++i)
            if (slotAt(i)[13] != sum)
                return true; // a stale run: keep the short name
    }
    // Parts are stored last part first: walk back from the slot next to the short entry.
    std::u16string name;
    for (std::size_t i = shortAt; i-- > index && name.size() < kFatLongNameMax;)
        name += LongNameSlotChars(slotAt(i));
    const std::size_t end = name.find(u'\0');
    if (end != std::u16string::npos)
        name.resize(end);
    if (name.size() > kFatLongNameMax)
        name.resize(kFatLongNameMax);
    if (!name.empty())
        entry.longName = std::move(name);
    return true;
}

} // namespace vantrel
