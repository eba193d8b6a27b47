#pragma once

// What the preview window shows for a file, decided once: the probes run in order (empty,
// MP3 tag, size limit, load, picture, document text, HTML, text) and the first that takes
// the file decides. Pictures are decoded by the caller's decoder, so this needs no toolkit.

#include "viewers/core/EntryReader.h"
#include "viewers/core/RtfReader.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// The numbers the panes are selected by; 2 is not used.
enum class PreviewKind {
    none = 0,
    image = 1,
    text = 3,
    richText = 4,
    html = 5,
    documentText = 6,
    mp3Tags = 7
};

// "none", "image", "text", "richText", "html", "documentText", "mp3Tags".
const char* PreviewKindName(PreviewKind kind);

struct Preview {
    PreviewKind kind = PreviewKind::none;
    bool tooLarge = false;
    std::vector<std::uint8_t> data; // the loaded file, kept for pictures (decoded per paint)
    std::u16string text;            // plain text, sanitised page, document text or tag summary
    std::optional<RtfDocument> rtf;
};

// True when the decoder can draw a picture from these bytes.
using PictureProbe = std::function<bool(Bytes)>;

// Files of 0xFFFFFFFF bytes or more are never loaded.
inline constexpr std::uint64_t kPreviewSizeLimit = 0xFFFFFFFFull;

Preview ClassifyPreview(EntryReader& reader, const PictureProbe& decodesAsPicture);

// The message of the picture pane when nothing can be shown.
std::u16string CannotPreviewMessage(bool tooLarge);

// The text that the preview shows for the textual kinds (the RTF's text for rich text).
std::u16string PreviewText(const Preview& preview);

struct FittedRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Keeps w x h when it fits the client area W x H with a 30-pixel margin, else takes the
// largest of 95 %, 90 %, ... 0 % that fits; centred.
FittedRect FitIntoClient(int width, int height, int clientWidth, int clientHeight);

// Signatures of the picture formats the desktop decoder reads (JPEG, PNG, GIF, BMP, TIFF,
// WebP), for front ends without a decoder.
bool HasPictureSignature(Bytes data);

} // namespace vantrel
