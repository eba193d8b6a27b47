#include "viewers/core/HtmlSanitizer.h"

#include "platform/CodePage.h"
#include "viewers/core/TextStream.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vantrel {

namespace {

using Text = std::u16string;
constexpr std::size_t npos = Text::npos;
constexpr std::size_t kNameLength = 14;
constexpr std::size_t kClosingNameLength = 15;

constexpr std::array<std::u16string_view, 40> kTags = {
    u"!doctype", u"html", u"head", u"title", u"body",   u"b",     u"a",      u"img",
    u"p",        u"br",   u"hr",   u"ul",    u"ui",     u"menu",  u"style",  u"table",
    u"td",       u"tr",   u"th",   u"tbody", u"font",   u"small", u"center", u"li",
    u"div",      u"span", u"id",   u"ol",    u"thead",  u"tfoot", u"h1",     u"h2",
    u"h3",       u"h4",   u"h5",   u"u",     u"strong", u"em",    u"select", u"option"};

constexpr std::array<std::u16string_view, 21> kAttributes = {
    u"text",        u"bgcolor",     u"color",   u"size",    u"alt",    u"align",       u"border",
    u"valign",      u"rows",        u"cols",    u"width",   u"height", u"hspace",      u"vspace",
    u"cellspacing", u"cellpadding", u"rowspan", u"colspan", u"face",   u"bordercolor", u"lang"};

constexpr std::array<std::u16string_view, 1> kBareAttributes = {u"nowrap"};

char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

Text Lowered(std::u16string_view text) {
    Text out(text);
    std::transform(out.begin(), out.end(), out.begin(), Lower);
    return out;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && Lowered(a) == Lowered(b);
}

std::size_t SkipSpaces(const Text& text, std::size_t at) {
    while (at < text.size() && IsHtmlSpace(text[at]))
        ++at;
    return at;
}

// Up to limit units from at, stopping at whitespace, ">" or the end.
std::u16string_view NameAt(const Text& text, std::size_t at, std::size_t limit) {
    std::size_t end = at;
    while (end < text.size() && end - at < limit && !IsHtmlSpace(text[end]) && text[end] != u'>')
        ++end;
    return std::u16string_view(text).substr(at, end - at);
}

// The next ">" (or quote) at or after a position. Sanitising only ever turns such units
// into spaces, so the answer of an earlier search from before that position stays right
// while its unit is still there; this keeps texts like "<<<<...>" linear, not quadratic.
class NextFinder {
public:
    NextFinder(const Text& text, char16_t unit) : text_(text), unit_(unit) {}
    std::size_t From(std::size_t at) {
        if (at >= from_ && at <= found_ && (found_ == npos || text_[found_] == unit_))
            return found_;
        from_ = at;
        found_ = text_.find(unit_, at);
        return found_;
    }

private:
    const Text& text_;
    char16_t unit_;
    std::size_t from_ = npos;
    std::size_t found_ = npos;
};

void Blank(Text& text, std::size_t from, std::size_t through) {
    std::fill(text.begin() + static_cast<std::ptrdiff_t>(from),
              text.begin() + static_cast<std::ptrdiff_t>(through) + 1, u' ');
}

// From the script tag's "<": blanks every tag and the text between them up to and
// including a closing tag spelled "/script" or "/SCRIPT". Returns where to go on.
std::size_t BlankScript(Text& text, NextFinder& closes, std::size_t at) {
    while (at < text.size()) {
        if (text[at] != u'<') {
            text[at++] = u' ';
            continue;
        }
        const std::size_t close = closes.From(at + 1);
        if (close == npos)
            return at; // the caller meets this "<" again and gives up
        const std::u16string_view after =
            std::u16string_view(text).substr(SkipSpaces(text, at + 1));
        const bool closing = after.starts_with(u"/script") || after.starts_with(u"/SCRIPT");
        Blank(text, at, close);
        at = close + 1;
        if (closing)
            break;
    }
    return at;
}

// The ">" that ends the comment starting at at: the first one preceded, whitespace
// aside, by "--".
std::size_t CommentEnd(const Text& text, std::size_t at) {
    for (std::size_t close = text.find(u'>', at); close != npos;
         close = text.find(u'>', close + 1)) {
        std::size_t back = close;
        while (back > 0 && IsHtmlSpace(text[back - 1]))
            --back;
        if (back >= 2 && text[back - 1] == u'-' && text[back - 2] == u'-')
            return close;
    }
    return npos;
}

// A tag not in the list goes; with its content too when the next tag closes it.
void BlankElement(Text& text, NextFinder& closes, std::size_t open, std::size_t close,
                  std::u16string_view name) {
    std::size_t end = close;
    const std::size_t next = text.find(u'<', close + 1);
    if (next != npos) {
        std::size_t at = SkipSpaces(text, next + 1);
        if (at < text.size() && text[at] == u'/') {
            const std::u16string_view closingName = NameAt(text, at + 1, kClosingNameLength);
            const std::size_t closingEnd = closes.From(at + 1);
            if (EqualNoCase(closingName, name) && closingEnd != npos)
                end = closingEnd;
        }
    }
    Blank(text, open, end);
}

void CopyBack(Text& text, const Text& copy, std::size_t open, std::size_t from, std::size_t to) {
    for (std::size_t k = from; k < to; ++k)
        text[open + k] = copy[k];
}

// Keeps only the listed attributes (lower-cased) of an allowed tag.
void FilterAttributes(Text& text, std::size_t open, std::size_t close, std::size_t nameStart,
                      std::size_t nameLength) {
    const std::size_t length = close - open; // "<" up to ">" exclusive
    if (static_cast<long long>(length) - static_cast<long long>(nameLength) - 2 <= 0)
        return;
    const Text copy = Lowered(std::u16string_view(text).substr(open, length));
    const std::size_t nameEnd = nameStart + nameLength - open; // relative to open
    if (nameEnd >= length)
        return;
    std::fill(text.begin() + static_cast<std::ptrdiff_t>(open + nameEnd),
              text.begin() + static_cast<std::ptrdiff_t>(close), u' ');

    for (const std::u16string_view attribute : kAttributes) {
        const std::size_t at = copy.find(attribute, nameEnd);
        if (at == npos || !IsHtmlSpace(copy[at - 1]))
            continue;
        std::size_t equals = at + attribute.size();
        while (equals < length && IsHtmlSpace(copy[equals]))
            ++equals;
        if (equals >= length || copy[equals] != u'=')
            continue;
        CopyBack(text, copy, open, at, at + attribute.size());
        text[open + equals] = u'=';
        std::size_t value = equals + 1;
        while (value < length && (IsHtmlSpace(copy[value]) || copy[value] == u'>'))
            ++value;
        int quotes = 0;
        for (; value < length; ++value) {
            const char16_t unit = copy[value];
            if (unit == u'"')
                ++quotes;
            if ((IsHtmlSpace(unit) || unit == u'>') && (quotes == 0 || quotes == 2))
                break;
            text[open + value] = unit;
        }
    }
    for (const std::u16string_view attribute : kBareAttributes) {
        const std::size_t at = copy.find(attribute, nameEnd);
        if (at == npos || !IsHtmlSpace(copy[at - 1]) || at + attribute.size() >= length)
            continue;
        CopyBack(text, copy, open, at, at + attribute.size());
    }
}

bool IsNameStart(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= 0x21 && c <= 0x2F) ||
           c == u'?';
}

} // namespace

bool IsHtmlSpace(char16_t unit) {
    return unit == 0x09 || unit == 0x0A || unit == 0x0C || unit == 0x0D || unit == 0x20 ||
           unit == 0x200B;
}

HtmlTestResult TestHtmlText(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const char16_t unit = text[i];
        if (unit != u'<') {
            if (unit < 0x20 || unit >= 0x80) {
                ++i;
                continue;
            }
            return HtmlTestResult::notHtml;
        }
        const std::size_t close = text.find(u'>', i + 1);
        if (close == std::u16string_view::npos)
            return HtmlTestResult::needMore;
        std::size_t at = i + 1;
        while (at < text.size() && IsHtmlSpace(text[at]))
            ++at;
        const std::u16string_view name = text.substr(at, 4);
        if (name == u"html" || name == u"HTML")
            return HtmlTestResult::html;
        i = close + 1;
    }
    return HtmlTestResult::needMore;
}

bool SanitizeHtml(Text& text) {
    NextFinder closes(text, u'>');
    NextFinder quotes(text, u'\'');
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != u'<') {
            ++i;
            continue;
        }
        std::size_t close = closes.From(i + 1);
        if (close == npos)
            return false;
        // A quoted "<" right after a single quote: the tag runs past the quoted part.
        const std::size_t quote = quotes.From(i + 1);
        if (quote < close && text[quote + 1] == u'<') {
            const std::size_t endQuote = text.find(u'\'', quote + 1);
            if (endQuote == npos)
                return false;
            close = text.find(u'>', endQuote + 1);
            if (close == npos)
                return false;
        }
        std::size_t nameStart = i;
        while (nameStart < text.size() && (IsHtmlSpace(text[nameStart]) || text[nameStart] == u'<'))
            ++nameStart;
        const std::u16string_view name = NameAt(text, nameStart, kNameLength);
        if (name.empty() || !IsNameStart(name[0])) {
            // Every "<" up to the name would find the same name: pass them all at once.
            i = std::max(i + 1, nameStart);
            continue;
        }
        if (EqualNoCase(name, u"script")) {
            i = BlankScript(text, closes, i);
            continue;
        }
        if (name.starts_with(u"!--")) {
            const std::size_t end = CommentEnd(text, i);
            if (end == npos)
                return false;
            i = end + 1;
            continue;
        }
        Text listed = Lowered(name);
        if (listed.starts_with(u'/'))
            listed.erase(0, 1);
        if (std::find(kTags.begin(), kTags.end(), listed) != kTags.end()) {
            if (listed != u"!doctype")
                FilterAttributes(text, i, close, nameStart, name.size());
        } else {
            BlankElement(text, closes, i, close, Text(name));
        }
        i = close + 1;
    }
    return true;
}

std::optional<std::u16string> PrepareHtmlPreview(Bytes data) {
    Text text;
    if (data.size() >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        text.reserve(data.size() / 2);
        for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
            const auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
            if (unit == 0)
                return std::nullopt;
            text.push_back(unit);
        }
    } else {
        // A zero byte always becomes a zero unit: reject before converting anything.
        if (std::memchr(data.data(), 0, data.size()) != nullptr)
            return std::nullopt;
        // Most files are not pages: test a prefix first so that a large file is not
        // converted whole only to be turned down at its first word.
        constexpr std::size_t kPrefix = 64 * 1024;
        if (data.size() > kPrefix &&
            TestHtmlText(DecodeAnsi(data.first(kPrefix))) == HtmlTestResult::notHtml)
            return std::nullopt;
        const Text converted = DecodeAnsiInPieces(data);
        if (converted.empty())
            return std::nullopt;
        text.reserve(converted.size() + 1);
        text.push_back(u'\uFEFF');
        text += converted;
    }
    if (TestHtmlText(text) != HtmlTestResult::html)
        return std::nullopt;
    if (!SanitizeHtml(text))
        return std::nullopt;
    return text;
}

} // namespace vantrel
