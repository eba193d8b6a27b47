#include "engine/signature/CompoundDocument.h"

#include <string_view>

namespace vantrel {

namespace {

constexpr std::size_t kNameField = 0;
constexpr std::size_t kNameLengthField = 64;

// The entry's name without its terminating NUL; false when the name is empty or runs
// past the bytes.
bool EntryNameMatches(const ByteReader& reader, std::size_t entry, std::u16string_view wanted,
                      bool& valid) {
    const std::size_t nameBytes = reader.U16(entry + kNameLengthField);
    valid = nameBytes >= 2 && reader.Has(entry + kNameField, nameBytes);
    if (!valid)
        return false;
    std::size_t chars = nameBytes / 2;
    if (reader.U16(entry + kNameField + 2 * (chars - 1)) == 0)
        --chars;
    if (chars == 0) {
        valid = false;
        return false;
    }
    if (chars != wanted.size())
        return false;
    for (std::size_t i = 0; i < chars; ++i) {
        if (reader.U16(entry + kNameField + 2 * i) != wanted[i])
            return false;
    }
    return true;
}

} // namespace

std::uint64_t CompoundDirectoryOffset(Bytes header) {
    const ByteReader reader(header);
    if (!reader.Has(48, 4))
        return 0;
    const unsigned shift = reader.U16(30) & 0x1Fu;       // sector shift at 30
    const std::uint64_t firstDirSector = reader.U32(48); // first directory sector at 48
    return (firstDirSector << shift) + kCompoundHeaderSize;
}

std::u16string_view CompoundDocumentExtension(Bytes directory) {
    const ByteReader reader(directory);
    const std::size_t entries = directory.size() / kCompoundDirEntrySize;
    if (entries == 0)
        return {};
    bool valid = false;
    if (!EntryNameMatches(reader, 0, u"Root Entry", valid))
        return {};
    struct Stream {
        std::u16string_view name;
        std::u16string_view extension;
    };
    static constexpr Stream kStreams[] = {
        {u"WordDocument", u"DOC"},
        {u"Book", u"XLS"},
        {u"Workbook", u"XLS"},
        {u"PowerPoint Document", u"PPT"},
    };
    for (std::size_t index = 1; index < entries; ++index) {
        const std::size_t entry = index * kCompoundDirEntrySize;
        for (const Stream& stream : kStreams) {
            if (EntryNameMatches(reader, entry, stream.name, valid))
                return stream.extension;
            if (!valid)
                return {};
        }
    }
    return {};
}

} // namespace vantrel
