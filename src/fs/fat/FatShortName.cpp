#include "fs/fat/FatShortName.h"

#include "fs/fat/FatCharacters.h"
#include "platform/CodePage.h"

#include <array>

namespace vantrel {

namespace {

// The bytes of a short name: a field never gives more bytes than it holds, so a whole
// name fits (8 + 1 + 3, a label 11). Kept off the heap: listings build millions.
struct NameBytes {
    std::array<std::uint8_t, 16> bytes{};
    std::size_t size = 0;
    void push_back(std::uint8_t b) { bytes[size++] = b; }
    bool empty() const { return size == 0; }
};

// Appends one name field (trailing blanks removed) to out. Counts the bytes that had to
// be replaced by '_'.
void AppendField(Bytes field, bool firstOfName, bool deleted, bool lower, NameBytes& out,
                 int& replaced) {
    std::size_t length = field.size();
    while (length > 0 && field[length - 1] == ' ')
        --length;
    const FatCharacters chars;
    std::size_t i = 0;
    if (firstOfName && length > 0) {
        if (deleted) {
            // The deletion overwrote the first byte. When the next byte can only be the
            // second half of a double-byte character, that whole character is lost.
            out.push_back('_');
            i = 1;
            if (chars.DoubleByte() && length > 1 && field[1] >= 0x80 &&
                FatCharacters::IsTrail(field[1]) && !FatCharacters::IsHalfWidthKatakana(field[1]))
                i = 2;
        } else if (field[0] == kFatKanjiE5Mark && length > 1 && chars.IsLead(0xE5) &&
                   FatCharacters::IsTrail(field[1])) {
            out.push_back(0xE5);
            out.push_back(field[1]);
            i = 2;
        }
    }
    for (; i < length; ++i) {
        const std::uint8_t c = field[i];
        if (chars.IsLead(c) && i + 1 < length && FatCharacters::IsTrail(field[i + 1])) {
            out.push_back(c);
            out.push_back(field[i + 1]);
            ++i;
        } else if (chars.IsPrintableSingle(c)) {
            const bool upper = c >= 'A' && c <= 'Z';
            out.push_back(lower && upper ? static_cast<std::uint8_t>(c + ('a' - 'A')) : c);
        } else {
            out.push_back('_');
            ++replaced;
        }
    }
}

} // namespace

bool BuildShortName(const FatDirEntry& entry, std::u16string* name) {
    if (name)
        name->clear();
    NameBytes bytes;
    int replaced = 0;
    const Bytes raw(entry.name);
    const bool deleted = IsDeleted(entry);
    if ((entry.attributes & kFatAttrVolumeLabel) != 0 && entry.attributes != kFatAttrLongName) {
        AppendField(raw, true, deleted, false, bytes, replaced);
    } else {
        AppendField(raw.first(8), true, deleted, (entry.ntFlags & kFatNtLowerBase) != 0, bytes,
                    replaced);
        NameBytes extension;
        AppendField(raw.subspan(8, 3), false, false, (entry.ntFlags & kFatNtLowerExtension) != 0,
                    extension, replaced);
        if (!extension.empty()) {
            bytes.push_back('.');
            for (std::size_t i = 0; i < extension.size; ++i)
                bytes.push_back(extension.bytes[i]);
        }
    }
    if (replaced > 1 || bytes.empty())
        return false;
    if (name)
        *name = DecodeAnsi(Bytes(bytes.bytes.data(), bytes.size));
    return true;
}

bool FatDisplayName(const FatDirEntry& entry, std::u16string* name) {
    if (entry.longName && !entry.longName->empty()) {
        if (name)
            *name = *entry.longName;
        return true;
    }
    return BuildShortName(entry, name);
}

} // namespace vantrel
