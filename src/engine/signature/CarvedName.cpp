#include "engine/signature/CarvedName.h"

#include "engine/signature/CompoundDocument.h"
#include "engine/signature/FileSignature.h"
#include "engine/signature/TextRules.h"

#include <algorithm>
#include <vector>

namespace vantrel {

namespace {

bool StartsWith(Bytes bytes, std::string_view text, std::size_t minimumLength) {
    return bytes.size() >= minimumLength && bytes.size() >= text.size() &&
           std::equal(text.begin(), text.end(), bytes.begin(),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

std::uint8_t Upper(std::uint8_t byte) {
    return byte >= 'a' && byte <= 'z' ? static_cast<std::uint8_t>(byte - 0x20) : byte;
}

bool IsBlank(std::uint8_t byte) {
    return byte == '\t' || byte == '\n' || byte == '\r' || byte == ' ';
}

bool IsUnsafeNameChar(char16_t c) {
    return c == u'"' || c == u'*' || c == u'/' || c == u':' || c == u'<' || c == u'>' ||
           c == u'?' || c == u'\\' || c == u'|';
}

std::u16string MakeSafe(std::u16string name) {
    std::replace_if(name.begin(), name.end(), IsUnsafeNameChar, u'_');
    return name;
}

std::u16string_view CompoundExtension(std::uint64_t size, Bytes head,
                                      const CarvedContentReader& read) {
    const std::uint64_t directory = CompoundDirectoryOffset(head);
    if (directory == 0 || directory >= size)
        return {};
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(size - directory, kRenameHeadBytes));
    std::vector<std::uint8_t> bytes(count);
    if (!read(directory, bytes))
        return {};
    return CompoundDocumentExtension(bytes);
}

} // namespace

std::u16string CarvedFileName(std::uint64_t startLba, FileKind kind) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string name(16, u'0');
    for (std::size_t i = 0; i < 16; ++i)
        name[15 - i] = kHex[(startLba >> (4 * i)) & 0xF];
    name += u'.';
    name += KindExtension(kind);
    return name;
}

bool IsHtmlDocument(Bytes text) {
    std::size_t pos = 0;
    const std::size_t size = text.size();
    while (true) {
        while (pos < size && IsBlank(text[pos]))
            ++pos;
        if (pos >= size || text[pos] != '<')
            return false;
        if (size - pos >= 5 && Upper(text[pos + 1]) == 'H' && Upper(text[pos + 2]) == 'T' &&
            Upper(text[pos + 3]) == 'M' && Upper(text[pos + 4]) == 'L')
            return true;
        while (pos < size && text[pos] != '>')
            ++pos;
        if (pos >= size)
            return false;
        ++pos;
    }
}

bool MayRenameByContent(std::uint8_t firstByte) {
    return MayStartAs(firstByte, FileKind::Txt) || MayStartAs(firstByte, FileKind::Aaf);
}

std::u16string_view RefineTextExtension(Bytes head) {
    if (StartsWith(head, "{\\rtf1\\ansi", 12))
        return u"RTF";
    if (StartsWith(head, "%PDF-", 6))
        return u"PDF";
    if (StartsWith(head, "%!PS-Adobe-", 12))
        return u"AI";
    if (StartsWith(head, "<?xml", 6))
        return u"XML";
    if (IsHtmlDocument(head))
        return u"HTM";
    return u"TXT";
}

std::u16string ReplaceExtension(std::u16string_view oldName, std::u16string_view extension) {
    const std::size_t dot = oldName.find(u'.');
    std::u16string name(oldName.substr(0, dot));
    name += u'.';
    name += extension;
    return MakeSafe(std::move(name));
}

std::u16string RenameByContent(std::u16string_view oldName, std::uint64_t size,
                               const CarvedContentReader& read) {
    if (size == 0 || !read)
        return MakeSafe(std::u16string(oldName));
    // Most carved files (pictures) are known by their first byte to keep their names.
    std::uint8_t first = 0;
    if (!read(0, std::span(&first, 1)) || !MayRenameByContent(first))
        return MakeSafe(std::u16string(oldName));
    std::vector<std::uint8_t> head(
        static_cast<std::size_t>(std::min<std::uint64_t>(size, kRenameHeadBytes)));
    if (!read(0, head))
        return MakeSafe(std::u16string(oldName));
    return RenameByContent(oldName, size, head, read);
}

std::u16string RenameByContent(std::u16string_view oldName, std::uint64_t size, Bytes head,
                               const CarvedContentReader& read) {
    head = head.first(std::min<std::size_t>(
        head.size(), static_cast<std::size_t>(std::min<std::uint64_t>(size, kRenameHeadBytes))));
    const auto isText = [head] { return IsTextRun(head); };
    return RenameByContent(oldName, size, head, TextRunQuery(isText), read);
}

std::u16string RenameByContent(std::u16string_view oldName, std::uint64_t size, Bytes head,
                               const TextRunQuery& headIsText, const CarvedContentReader& read) {
    head = head.first(std::min<std::size_t>(
        head.size(), static_cast<std::size_t>(std::min<std::uint64_t>(size, kRenameHeadBytes))));
    if (head.empty() || !MayRenameByContent(head[0]))
        return MakeSafe(std::u16string(oldName));
    const FileStart start = DetectFileType(head, headIsText);
    if (start.kind == FileKind::Txt)
        return ReplaceExtension(oldName, RefineTextExtension(head));
    if (start.kind == FileKind::Aaf && read) {
        const std::u16string_view extension = CompoundExtension(size, head, read);
        if (!extension.empty())
            return ReplaceExtension(oldName, extension);
    }
    return MakeSafe(std::u16string(oldName));
}

} // namespace vantrel
