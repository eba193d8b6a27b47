#include "engine/signature/FileKind.h"

#include <array>

namespace vantrel {

namespace {

struct KindName {
    std::u16string_view wide;
    std::string_view ascii;
};

// Indexed by FileKind.
constexpr std::array<KindName, kFileKindCount + 1> kNames = {{
    {u"", ""},       {u"AAF", "AAF"}, {u"AIF", "AIF"}, {u"AU", "AU"},   {u"AVI", "AVI"},
    {u"BMP", "BMP"}, {u"CAB", "CAB"}, {u"GIF", "GIF"}, {u"JPG", "JPG"}, {u"LZH", "LZH"},
    {u"MID", "MID"}, {u"MOV", "MOV"}, {u"MP3", "MP3"}, {u"MPG", "MPG"}, {u"AI", "AI"},
    {u"EPS", "EPS"}, {u"PDF", "PDF"}, {u"PNG", "PNG"}, {u"TIF", "TIF"}, {u"QT", "QT"},
    {u"RM", "RM"},   {u"RMI", "RMI"}, {u"TXT", "TXT"}, {u"WAV", "WAV"}, {u"WMV", "WMV"},
    {u"ZIP", "ZIP"},
}};

std::size_t IndexOf(FileKind kind) {
    const auto index = static_cast<std::size_t>(kind);
    return index < kNames.size() ? index : 0;
}

} // namespace

std::u16string_view KindExtension(FileKind kind) {
    return kNames[IndexOf(kind)].wide;
}

std::string_view KindExtensionAscii(FileKind kind) {
    return kNames[IndexOf(kind)].ascii;
}

FileKind KindFromExtension(std::string_view extension) {
    if (extension.empty())
        return FileKind::None;
    for (std::size_t i = 1; i < kNames.size(); ++i) {
        if (kNames[i].ascii == extension)
            return static_cast<FileKind>(i);
    }
    return FileKind::None;
}

bool KindHasEndMarker(FileKind kind) {
    switch (kind) {
    case FileKind::Gif:
    case FileKind::Jpg:
    case FileKind::Mid:
    case FileKind::Mp3:
    case FileKind::Mpg:
    case FileKind::Ai:
    case FileKind::Pdf:
    case FileKind::Png:
    case FileKind::Zip:
        return true;
    default:
        return false;
    }
}

} // namespace vantrel
