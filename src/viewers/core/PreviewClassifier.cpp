#include "viewers/core/PreviewClassifier.h"

#include "platform/Utf.h"
#include "viewers/core/DocumentText.h"
#include "viewers/core/HtmlSanitizer.h"
#include "viewers/core/Mp3Summary.h"
#include "viewers/core/TextStream.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace vantrel {

namespace {

// Reads the first count bytes of the file into data.
bool Load(EntryReader& reader, std::uint64_t count, std::vector<std::uint8_t>& data) {
    try {
        data.assign(static_cast<std::size_t>(count), 0);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    if (!reader.ReadAt(0, data.data(), data.size())) {
        std::vector<std::uint8_t>().swap(data);
        return false;
    }
    return true;
}

// The length of a text's beginning that ends after its last line feed (a whole UTF-16
// unit for Unicode text), so that no character is cut; all of it when it has none.
std::size_t WholeLines(Bytes data) {
    const bool unicode = data.size() >= 2 && data[0] == 0xFF && data[1] == 0xFE;
    if (unicode) {
        for (std::size_t end = data.size() & ~std::size_t{1}; end >= 4; end -= 2)
            if (data[end - 2] == 0x0A && data[end - 1] == 0)
                return end;
        return data.size() & ~std::size_t{1};
    }
    for (std::size_t end = data.size(); end > 0; --end)
        if (data[end - 1] == 0x0A)
            return end;
    return data.size();
}

bool StartsWith(Bytes data, const char* magic, std::size_t offset = 0) {
    const std::size_t length = std::strlen(magic);
    return data.size() >= offset + length && std::memcmp(data.data() + offset, magic, length) == 0;
}

// The probes that look at the loaded bytes: picture (when a decoder is given), document
// text, HTML page, text.
Preview ClassifyLoaded(std::vector<std::uint8_t> data, Preview preview,
                       const PictureProbe* decodesAsPicture) {
    const Bytes bytes(data);
    if (decodesAsPicture && *decodesAsPicture && (*decodesAsPicture)(bytes)) {
        preview.kind = PreviewKind::image;
        preview.data = std::move(data);
        return preview;
    }
    if (IsPreviewableDocument(bytes)) {
        preview.kind = PreviewKind::documentText;
        preview.text = ExtractDocumentText(bytes);
        return preview;
    }
    if (auto page = PrepareHtmlPreview(bytes)) {
        preview.kind = PreviewKind::html;
        preview.text = std::move(*page);
        return preview;
    }
    const TextStreamCheck check = CheckTextStream(bytes);
    if (check.format == TextFormat::rtf) {
        preview.rtf = ReadRtf(bytes);
        preview.kind = PreviewKind::richText;
    } else if (check.format == TextFormat::plain) {
        preview.text = DecodePlainText(bytes, check.unicode);
        preview.kind = PreviewKind::text;
    }
    return preview;
}

} // namespace

const char* PreviewKindName(PreviewKind kind) {
    switch (kind) {
    case PreviewKind::image:
        return "image";
    case PreviewKind::text:
        return "text";
    case PreviewKind::richText:
        return "richText";
    case PreviewKind::html:
        return "html";
    case PreviewKind::documentText:
        return "documentText";
    case PreviewKind::mp3Tags:
        return "mp3Tags";
    case PreviewKind::none:
        break;
    }
    return "none";
}

Preview ClassifyPreview(EntryReader& reader, const PictureProbe& decodesAsPicture,
                        const PreviewLimits& limits, const PictureProbe& recognisesPicture) {
    Preview preview;
    const std::uint64_t size = reader.Size();
    if (size == 0)
        return preview;
    if (LooksLikeMp3(reader)) {
        preview.kind = PreviewKind::mp3Tags;
        preview.text = Mp3TagSummary(reader);
        return preview;
    }
    if (size >= kPreviewSizeLimit) {
        preview.tooLarge = true;
        return preview;
    }
    std::vector<std::uint8_t> data;
    if (size > limits.textPrefix) {
        // Only a picture is read whole; of anything else the beginning is shown.
        if (!Load(reader, limits.textPrefix, data))
            return preview;
        if (recognisesPicture && recognisesPicture(Bytes(data))) {
            if (size > limits.picture) {
                preview.tooLarge = true;
                return preview;
            }
            std::vector<std::uint8_t> whole;
            if (Load(reader, size, whole) && decodesAsPicture && decodesAsPicture(Bytes(whole))) {
                preview.kind = PreviewKind::image;
                preview.data = std::move(whole);
                return preview;
            }
        }
        const std::size_t shown = WholeLines(Bytes(data));
        data.resize(shown);
        preview = ClassifyLoaded(std::move(data), std::move(preview), nullptr);
        if (preview.kind != PreviewKind::none)
            preview.shownBytes = shown;
        return preview;
    }
    if (!Load(reader, size, data))
        return preview;
    return ClassifyLoaded(std::move(data), std::move(preview), &decodesAsPicture);
}

std::u16string CannotPreviewMessage(bool tooLarge) {
    return tooLarge ? u"このファイルはサイズが大きいためプレビューすることが出来ません。"
                    : u"このファイルをプレビューすることは出来ません。";
}

std::u16string PreviewText(const Preview& preview) {
    if (preview.kind == PreviewKind::richText && preview.rtf)
        return RtfPlainText(*preview.rtf);
    return preview.text;
}

FittedRect FitIntoClient(int width, int height, int clientWidth, int clientHeight) {
    const int maxWidth = clientWidth - 30;
    const int maxHeight = clientHeight - 30;
    FittedRect rect{0, 0, width, height};
    if (width > maxWidth || height > maxHeight) {
        for (int percent = 95; percent >= 0; percent -= 5) {
            rect.width = static_cast<int>(static_cast<long long>(width) * percent / 100);
            rect.height = static_cast<int>(static_cast<long long>(height) * percent / 100);
            if (rect.width <= maxWidth && rect.height <= maxHeight)
                break;
        }
    }
    rect.left = clientWidth / 2 - rect.width / 2;
    rect.top = clientHeight / 2 - rect.height / 2;
    return rect;
}

bool HasPictureSignature(Bytes data) {
    const ByteReader reader(data);
    if (StartsWith(data, "\xFF\xD8\xFF") || StartsWith(data, "\x89PNG\r\n\x1A\n") ||
        StartsWith(data, "GIF87a") || StartsWith(data, "GIF89a"))
        return true;
    if (reader.Has(0, 4) &&
        (std::memcmp(data.data(), "II*\0", 4) == 0 || std::memcmp(data.data(), "MM\0*", 4) == 0))
        return true;
    if (StartsWith(data, "RIFF") && StartsWith(data, "WEBP", 8))
        return true;
    if (StartsWith(data, "BM") && reader.Has(14, 4)) {
        const std::uint32_t infoSize = reader.U32(14);
        return infoSize == 12 || infoSize == 40 || infoSize == 52 || infoSize == 56 ||
               infoSize == 64 || infoSize == 108 || infoSize == 124;
    }
    return false;
}

} // namespace vantrel
