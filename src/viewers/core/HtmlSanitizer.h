#pragma once

// The HTML preview's safety filter. A page is rewritten in place, position for position:
// only a fixed set of harmless tags and attributes survives, everything else (scripts,
// unknown elements, handlers, links, sources) becomes spaces. Comments stay as they are.

#include "platform/ByteReader.h"

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

enum class HtmlTestResult { notHtml, html, needMore };

// True for tab, line feed, form feed, carriage return, space and zero width space.
bool IsHtmlSpace(char16_t unit);

// Whether text starts like a page: nothing but tags, whitespace, control and non-ASCII
// characters before a tag beginning "html" or "HTML". needMore when the text ends first
// (or inside a tag), so that a prefix can be tested before the whole file is converted.
HtmlTestResult TestHtmlText(std::u16string_view text);

// Rewrites text in place; false when a "<" has no ">" or a comment is unterminated.
bool SanitizeHtml(std::u16string& text);

// The file's bytes as the HTML pane would show them: UTF-16 with the byte-order mark
// U+FEFF first, tested and sanitised; nullopt when the file is not taken as HTML.
std::optional<std::u16string> PrepareHtmlPreview(Bytes data);

} // namespace vantrel
