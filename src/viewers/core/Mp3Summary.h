#pragma once

// The MP3 probe of the preview and the tag summary text shown instead of the file.

#include "viewers/core/EntryReader.h"

#include <string>

namespace vantrel {

// "ID3" at offset 0, or "TAG" in any letter case at size - 128; only for size >= 128.
bool LooksLikeMp3(EntryReader& reader);

// The summary, lines ending in CR LF. Reads only the tag bytes.
std::u16string Mp3TagSummary(EntryReader& reader);

} // namespace vantrel
