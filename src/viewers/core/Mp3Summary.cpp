#include "viewers/core/Mp3Summary.h"

#include "platform/Utf.h"
#include "viewers/core/Id3Tag.h"

#include <array>
#include <cctype>
#include <new>
#include <vector>

namespace vantrel {

namespace {

constexpr std::uint64_t kV1Size = 128;
constexpr std::size_t kHeaderSize = 10;

constexpr std::array<const char16_t*, kId3FieldCount> kLabels = {
    u"タイトル： ",     u"アーティスト： ", u"アルバムのタイトル： ", u"年： ",
    u"トラック番号： ", u"ディスク番号： ", u"ジャンル： ",           u"コメント： "};

std::u16string Line(std::size_t field, const std::u16string& value) {
    return std::u16string(kLabels[field]) + value + u"\r\n";
}

std::optional<Id3Fields> ReadVersion2(EntryReader& reader) {
    std::array<std::uint8_t, kHeaderSize> header{};
    // Reads are not checked: a failed read leaves zeros, which match nothing.
    if (!reader.ReadAt(0, header.data(), header.size()))
        header.fill(0);
    const auto tagSize = Id3v2TagSize(header);
    if (!tagSize)
        return std::nullopt;
    std::vector<std::uint8_t> tag;
    // A tag larger than the file cannot be read; it then holds no frames.
    if (*tagSize > reader.Size() || reader.Size() - *tagSize < kHeaderSize)
        return std::nullopt;
    try {
        tag.assign(*tagSize, 0);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (!reader.ReadAt(kHeaderSize, tag.data(), tag.size()))
        return std::nullopt;
    return ReadId3v2Fields(header, tag);
}

} // namespace

bool LooksLikeMp3(EntryReader& reader) {
    const std::uint64_t size = reader.Size();
    if (size < kV1Size)
        return false;
    std::array<std::uint8_t, 3> magic{};
    if (reader.ReadAt(0, magic.data(), magic.size()) && magic[0] == 'I' && magic[1] == 'D' &&
        magic[2] == '3')
        return true;
    if (!reader.ReadAt(size - kV1Size, magic.data(), magic.size()))
        return false;
    return std::toupper(magic[0]) == 'T' && std::toupper(magic[1]) == 'A' &&
           std::toupper(magic[2]) == 'G';
}

std::u16string Mp3TagSummary(EntryReader& reader) {
    if (const auto fields = ReadVersion2(reader)) {
        std::u16string text = u"\r\n♪ MP3 タグ情報 ♪\r\n\r\n";
        for (std::size_t field = 0; field < kId3FieldCount; ++field)
            text += Line(field, (*fields)[field]);
        return text;
    }
    std::array<std::uint8_t, kV1Size> block{};
    if (reader.Size() < kV1Size ||
        !reader.ReadAt(reader.Size() - kV1Size, block.data(), block.size()))
        block.fill(0);
    const auto tag = ReadId3v1(block);
    if (!tag)
        return u"\r\n\r\n タグ情報が取得できませんでした。\r\n";
    std::u16string text = u"\r\nMP3 タグ情報\r\n\r\n";
    text += Line(0, tag->title);
    text += Line(1, tag->artist);
    text += Line(2, tag->album);
    text += Line(3, tag->year);
    if (tag->track)
        text += Line(4, AsciiToU16(std::to_string(*tag->track)));
    text += Line(6, tag->genre);
    text += Line(7, tag->comment);
    return text;
}

} // namespace vantrel
