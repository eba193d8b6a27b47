#pragma once

// Text of word-processor documents in the compound file format, taken the simple way:
// every 16-bit unit of the file that is a Japanese or ASCII character, runs of anything
// else folded into one space.

#include "platform/ByteReader.h"

#include <string>

namespace vantrel {

// At least 520 bytes, the compound file signature, the 16-bit value at 518 at least 999
// and the byte at 514 above 104.
bool IsPreviewableDocument(Bytes data);

// The folded text; a CR unit becomes CR LF.
std::u16string ExtractDocumentText(Bytes data);

} // namespace vantrel
