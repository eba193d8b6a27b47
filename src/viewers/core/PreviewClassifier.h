#pragma once

// What the preview window shows for a file, decided once: the probes run in order (empty,
// MP3 tag, size limit, load, picture, document text, HTML, text) and the first that takes
// the file decides. Pictures are decoded by the caller's decoder, so this needs no toolkit.
// Only what can be shown is read: a picture whole up to a limit, of anything else the
// beginning.

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
    // Non-zero when the text shown is only the file's first shownBytes bytes.
    std::uint64_t shownBytes = 0;
};

// True when the decoder can draw a picture from these bytes.
using PictureProbe = std::function<bool(Bytes)>;

// Signatures of the picture formats the desktop decoder reads (JPEG, PNG, GIF, BMP, TIFF,
// WebP), for front ends without a decoder.
bool HasPictureSignature(Bytes data);

// Files of 0xFFFFFFFF bytes or more are never loaded.
inline constexpr std::uint64_t kPreviewSizeLimit = 0xFFFFFFFFull;

struct PreviewLimits {
    // Of a larger file that is not a picture the text, page or document shown is this
    // much of its beginning, cut after its last whole line: more than a text view lays
    // out in a moment is no use to someone deciding whether to recover the file.
    std::uint64_t textPrefix = std::uint64_t{4} << 20;
    // A larger picture is too large to preview (its decoded image would pass the
    // decoder's own memory limit anyway).
    std::uint64_t picture = std::uint64_t{256} << 20;
};

// recognisesPicture is asked about the beginning of a file larger than the text prefix:
// whether it is worth reading whole to decode. The file is read through reader only.
Preview ClassifyPreview(EntryReader& reader, const PictureProbe& decodesAsPicture,
                        const PreviewLimits& limits = {},
                        const PictureProbe& recognisesPicture = HasPictureSignature);

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

} // namespace vantrel
