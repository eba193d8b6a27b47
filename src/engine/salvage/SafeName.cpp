#include "engine/salvage/SafeName.h"

#include "platform/Utf.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace vantrel {

namespace {

constexpr std::size_t kMaxExtensionBytes = 32;

bool IsWindowsReserved(char c) {
    switch (c) {
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
        return true;
    default:
        return false;
    }
}

// Length of the prefix of text that is at most limit bytes and ends on a character
// boundary (never inside a UTF-8 sequence).
std::size_t CharBoundary(std::string_view text, std::size_t limit) {
    if (text.size() <= limit)
        return text.size();
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

std::string HashMarker(std::u16string_view name) {
    std::uint32_t hash = 2166136261u; // FNV-1a over the code units of the original name
    for (const char16_t unit : name) {
        hash ^= static_cast<std::uint32_t>(unit);
        hash *= 16777619u;
    }
    char text[16];
    std::snprintf(text, sizeof text, "~%08x", static_cast<unsigned>(hash));
    return text;
}

std::string FoldKey(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return key;
}

} // namespace

void SplitExtension(std::string_view name, std::string* stem, std::string* extension) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || name.size() - dot > kMaxExtensionBytes) {
        *stem = std::string(name);
        extension->clear();
        return;
    }
    *stem = std::string(name.substr(0, dot));
    *extension = std::string(name.substr(dot));
}

std::string FitComponent(std::string_view stem, std::string_view marker, std::string_view extension,
                         std::size_t limit) {
    std::string_view ext = extension;
    if (marker.size() + ext.size() >= limit)
        ext = {}; // an extension this long cannot be kept
    const std::size_t room = limit - marker.size() - ext.size();
    return std::string(stem.substr(0, CharBoundary(stem, room))) + std::string(marker) +
           std::string(ext);
}

std::string SafeComponent(std::u16string_view name, const SafeNameOptions& options) {
    const std::string utf8 = ToUtf8(name);
    std::string safe;
    safe.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        // C1 controls U+0080..U+009F are C2 80..C2 9F in UTF-8.
        if (c == 0xC2 && i + 1 < utf8.size()) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                safe += '_';
                ++i;
                continue;
            }
        }
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' ||
            (options.windowsRules && IsWindowsReserved(static_cast<char>(c))))
            safe += '_';
        else
            safe += static_cast<char>(c);
    }
    if (options.windowsRules) {
        while (!safe.empty() && (safe.back() == '.' || safe.back() == ' '))
            safe.back() = '_';
    }
    if (safe.empty() || safe == "." || safe == "..")
        safe.insert(safe.begin(), '_');
    if (safe.size() > kMaxComponentBytes) {
        std::string stem;
        std::string extension;
        SplitExtension(safe, &stem, &extension);
        safe = FitComponent(stem, HashMarker(name), extension, kMaxComponentBytes);
    }
    return safe;
}

FolderNamer::FolderNamer(SafeNameOptions options, std::vector<std::string> reserved)
    : options_(options) {
    for (const std::string& name : reserved)
        taken_.insert(FoldKey(name));
}

bool FolderNamer::Taken(std::string_view component) const {
    return taken_.count(FoldKey(component)) != 0;
}

std::string FolderNamer::Assign(std::u16string_view name) {
    const std::string safe = SafeComponent(name, options_);
    const std::string key = FoldKey(safe);
    if (taken_.insert(key).second)
        return safe;
    std::string stem;
    std::string extension;
    SplitExtension(safe, &stem, &extension);
    // Numbering goes on where the last clash of this name stopped, so that a folder of
    // thousands of equal names costs no more than one of distinct names.
    std::uint64_t& next = nextNumber_[key];
    for (std::uint64_t n = std::max<std::uint64_t>(next, 2);; ++n) {
        const std::string marker = " (" + std::to_string(n) + ")";
        const std::string candidate = FitComponent(stem, marker, extension, kMaxComponentBytes);
        if (taken_.insert(FoldKey(candidate)).second) {
            next = n + 1;
            return candidate;
        }
    }
}

} // namespace vantrel
