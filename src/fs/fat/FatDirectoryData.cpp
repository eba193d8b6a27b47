#include "fs/fat/FatDirectoryData.h"

#include "fs/fat/FatCharacters.h"
#include "fs/fat/FatDirEntry.h"

#include <algorithm>

namespace vantrel {

namespace {

// Width of the text character at data[i] (1 or 2), or 0 when it is not text.
std::size_t TextCharWidth(const FatCharacters& chars, Bytes data, std::size_t i) {
    const std::uint8_t c = data[i];
    if (chars.IsLead(c) && i + 1 < data.size() && FatCharacters::IsTrail(data[i + 1]))
        return 2;
    if ((c >= 0x20 && c <= 0x7E) || (c >= 0xA1 && c <= 0xDF) || c == '\t' || c == '\n' || c == '\r')
        return 1;
    return 0;
}

bool IsFillSlot(Bytes slot) {
    const ByteReader in(slot);
    const std::uint32_t first = in.U32(0);
    for (std::size_t offset = 4; offset < kFatDirEntryBytes; offset += 4)
        if (in.U32(offset) != first)
            return false;
    return true;
}

} // namespace

std::size_t LeadingTextLength(Bytes data) {
    const FatCharacters chars;
    std::size_t i = 0;
    while (i < data.size()) {
        const std::size_t width = TextCharWidth(chars, data, i);
        if (width == 0)
            break;
        i += width;
    }
    return i;
}

std::size_t PlausibleEntryPrefix(Bytes data) {
    std::size_t offset = 0;
    while (data.size() - offset >= kFatDirEntryBytes) {
        const Bytes slot = data.subspan(offset, kFatDirEntryBytes);
        if (IsFillSlot(slot) || LeadingTextLength(slot) >= kFatDirEntryBytes ||
            !IsPlausibleEntry(slot))
            break;
        offset += kFatDirEntryBytes;
    }
    return offset;
}

bool IsDirectoryCluster(Bytes data) {
    if (LeadingTextLength(data.first(std::min<std::size_t>(data.size(), 34))) > 32)
        return false;
    const std::size_t prefix = PlausibleEntryPrefix(data);
    if (prefix == 0)
        return false;
    const Bytes rest = data.subspan(prefix);
    return std::all_of(rest.begin(), rest.end(), [](std::uint8_t b) { return b == 0; });
}

} // namespace vantrel
