#include "viewers/core/Id3Tag.h"

#include "platform/CodePage.h"
#include "platform/Utf.h"
#include "viewers/core/Mp3Genre.h"

#include <algorithm>
#include <string_view>

namespace vantrel {

namespace {

// Header: 0 "ID3", 3 major version, 4 revision, 5 flags, 6 syncsafe tag size.
constexpr std::size_t kHeaderSize = 10;
constexpr std::uint8_t kExtendedHeaderFlag = 0x40;

std::uint32_t SyncSafe(const ByteReader& reader, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 7) | (reader.U8(offset + i) & 0x7Fu);
    return value;
}

constexpr std::array<const char*, kId3FieldCount> kIds22 = {"TT2", "TP1", "TAL", "TYE",
                                                            "TRK", "TPA", "TCO", "COM"};
constexpr std::array<const char*, kId3FieldCount> kIds23 = {"TIT2", "TPE1", "TALB", "TYER",
                                                            "TRCK", "TPOS", "TCON", "COMM"};
constexpr std::size_t kGenreField = 6;
constexpr std::size_t kCommentField = 7;

std::u16string Utf16Units(Bytes bytes, bool bigEndian) {
    std::u16string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(bigEndian ? (bytes[i] << 8) | bytes[i + 1]
                                                          : bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0)
            break;
        out.push_back(unit);
    }
    return out;
}

Bytes UpToZeroByte(Bytes bytes) {
    const auto zero = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes.first(static_cast<std::size_t>(zero - bytes.begin()));
}

bool IsUtf16(std::uint8_t encoding) {
    return encoding == 1 || encoding == 2;
}

// A comment frame after its header: encoding, 3 language bytes, description, text.
// Returns nullopt for a frame to skip (description "iTun...").
std::optional<std::u16string> CommentText(Bytes frame) {
    if (frame.empty())
        return std::u16string();
    const std::uint8_t encoding = frame[0];
    const Bytes rest = frame.size() > 4 ? frame.subspan(4) : Bytes();
    std::size_t descriptionEnd = rest.size();
    std::size_t textStart = rest.size();
    if (IsUtf16(encoding)) {
        // Descriptions in UTF-16 end at a zero unit, not at the zero high byte of "i".
        for (std::size_t i = 0; i + 1 < rest.size(); i += 2)
            if (rest[i] == 0 && rest[i + 1] == 0) {
                descriptionEnd = i;
                textStart = i + 2;
                break;
            }
    } else {
        for (std::size_t i = 0; i < rest.size(); ++i)
            if (rest[i] == 0) {
                descriptionEnd = i;
                break;
            }
        for (std::size_t i = descriptionEnd; i < rest.size(); ++i)
            if (rest[i] != 0) {
                textStart = i;
                break;
            }
    }
    const std::u16string description = DecodeId3Text(encoding, rest.first(descriptionEnd));
    if (description.starts_with(u"iTun"))
        return std::nullopt;
    if (descriptionEnd == rest.size() || textStart >= rest.size())
        return std::u16string();
    return DecodeId3Text(encoding, rest.subspan(textStart));
}

} // namespace

std::u16string DecodeId3Text(std::uint8_t encoding, Bytes text) {
    switch (encoding) {
    case 1: {
        if (text.size() < 2)
            return {};
        // The byte-order mark decides; taggers nearly always write FF FE.
        const bool bigEndian = text[0] == 0xFE && text[1] == 0xFF;
        return Utf16Units(text.subspan(2), bigEndian);
    }
    case 2:
        return Utf16Units(text, true);
    case 3: {
        const Bytes bytes = UpToZeroByte(text);
        return FromUtf8(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    default:
        return DecodeAnsi(UpToZeroByte(text));
    }
}

std::optional<std::uint32_t> Id3v2TagSize(Bytes header) {
    const ByteReader reader(header);
    if (!reader.Has(0, kHeaderSize) || reader.U8(0) != 'I' || reader.U8(1) != 'D' ||
        reader.U8(2) != '3' || reader.U8(3) <= 1)
        return std::nullopt;
    return SyncSafe(reader, 6);
}

std::optional<Id3Fields> ReadId3v2Fields(Bytes header, Bytes tag) {
    const ByteReader head(header);
    if (!Id3v2TagSize(header))
        return std::nullopt;
    const std::uint8_t major = head.U8(3);
    const std::size_t idLength = major == 2 ? 3 : 4;
    const std::size_t frameHeader = major == 2 ? 6 : 10;
    const auto& ids = major == 2 ? kIds22 : kIds23;
    const ByteReader data(tag);

    std::uint64_t first = 0;
    if (major >= 3 && (head.U8(5) & kExtendedHeaderFlag) != 0) {
        first = SyncSafe(data, 0);
        if (major == 3 && head.U8(4) != 1)
            first += 4;
    }

    Id3Fields fields;
    bool any = false;
    for (std::size_t field = 0; field < kId3FieldCount; ++field) {
        std::u16string value;
        for (std::uint64_t at = first; at + frameHeader <= tag.size();) {
            const auto offset = static_cast<std::size_t>(at);
            const std::uint64_t size = major == 2 ? data.Be(offset + 3, 3) : data.Be32(offset + 4);
            const bool match = std::equal(ids[field], ids[field] + idLength,
                                          tag.begin() + static_cast<std::ptrdiff_t>(offset)) &&
                               data.U8(offset + idLength) == 0;
            if (match) {
                // A frame that claims more than the tag holds is read as far as it goes.
                const Bytes frame =
                    data.Slice(offset + frameHeader, static_cast<std::size_t>(size));
                if (field == kCommentField) {
                    const auto comment = CommentText(frame);
                    if (!comment) {
                        at += frameHeader + size;
                        continue;
                    }
                    value = *comment;
                } else if (!frame.empty()) {
                    value = DecodeId3Text(frame[0], frame.subspan(1));
                }
                break;
            }
            at += frameHeader + size;
        }
        if (field == kGenreField)
            value = ConvertMp3Genre(value);
        if (value.empty())
            value = u"-";
        else
            any = true;
        fields[field] = std::move(value);
    }
    if (!any)
        return std::nullopt;
    return fields;
}

std::optional<Id3v1Tag> ReadId3v1(Bytes block) {
    // 0 "TAG", 3 title (30), 33 artist (30), 63 album (30), 93 year (4), 97 comment (30,
    // or 28 with a zero at 125 and the track number at 126), 127 genre.
    const ByteReader reader(block);
    if (!reader.Has(0, 128) || reader.U8(0) != 'T' || reader.U8(1) != 'A' || reader.U8(2) != 'G')
        return std::nullopt;
    auto text = [&](std::size_t offset, std::size_t length) {
        std::u16string value = DecodeAnsi(UpToZeroByte(reader.Slice(offset, length)));
        return value.empty() ? std::u16string(u"-") : value;
    };
    Id3v1Tag tag;
    tag.title = text(3, 30);
    tag.artist = text(33, 30);
    tag.album = text(63, 30);
    tag.year = text(93, 4);
    if (reader.U8(125) == 0) {
        tag.track = reader.U8(126);
        tag.comment = text(97, 28);
    } else {
        tag.comment = text(97, 30);
    }
    tag.genre = Mp3GenreName(reader.U8(127));
    return tag;
}

} // namespace vantrel
