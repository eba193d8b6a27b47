#pragma once

// Names of carved files: the start sector in 16 hexadecimal digits and the kind's
// extension, and the renaming by content that gives documents their real extension.

#include "engine/signature/FileKind.h"
#include "engine/signature/FileSignature.h"
#include "platform/ByteReader.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace vantrel {

// "%016llX" of startLba, ".", the kind's extension, e.g. "00000000000000A0.JPG".
std::u16string CarvedFileName(std::uint64_t startLba, FileKind kind);

// Reads exactly out.size() bytes of a carved file from byte `position`; false when the
// bytes cannot be read.
using CarvedContentReader =
    std::function<bool(std::uint64_t position, std::span<std::uint8_t> out)>;

// Bytes of a carved file looked at when renaming it.
inline constexpr std::size_t kRenameHeadBytes = 32768;

// The name a carved file of `size` bytes should carry, from its content read through
// `read`: text refined to RTF, PDF, AI, XML or HTM; compound documents to DOC, XLS or
// PPT by their directory. Any other file, or one that cannot be read, keeps `oldName`
// (with unsafe characters replaced).
std::u16string RenameByContent(std::u16string_view oldName, std::uint64_t size,
                               const CarvedContentReader& read);
// The same for a file whose first min(size, kRenameHeadBytes) bytes are `head` (fewer
// when fewer are at hand, which is then all the renaming looks at); `read` is asked only
// for what lies beyond, a compound document's directory.
std::u16string RenameByContent(std::u16string_view oldName, std::uint64_t size, Bytes head,
                               const CarvedContentReader& read);
// The same with the text test of the head (IsTextRun) answered by the caller, who may
// know it from sector summaries.
std::u16string RenameByContent(std::u16string_view oldName, std::uint64_t size, Bytes head,
                               const TextRunQuery& headIsText, const CarvedContentReader& read);

// False when a carved file starting with `firstByte` keeps its name whatever follows: only
// text and compound documents are renamed by content.
bool MayRenameByContent(std::uint8_t firstByte);

// Extension for a text head: "RTF", "PDF", "AI", "XML", "HTM" or "TXT".
std::u16string_view RefineTextExtension(Bytes head);

// True when the text, skipping blanks and tags, reaches a "<HTML" tag (any case).
bool IsHtmlDocument(Bytes text);

// oldName up to its first ".", then "." and `extension`; the characters " * / : < > ? \ |
// each become "_".
std::u16string ReplaceExtension(std::u16string_view oldName, std::u16string_view extension);

} // namespace vantrel
