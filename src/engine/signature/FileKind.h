#pragma once

// The file kinds the signature database recognises, in the order in which a window is
// tested (the first test that holds decides, so the order is part of the behaviour).

#include <cstdint>
#include <string_view>

namespace vantrel {

enum class FileKind : std::uint8_t {
    None = 0,
    Aaf, // compound document; renamed to DOC, XLS or PPT by its directory
    Aif,
    Au,
    Avi,
    Bmp,
    Cab,
    Gif,
    Jpg,
    Lzh,
    Mid,
    Mov,
    Mp3,
    Mpg,
    Ai,
    Eps,
    Pdf,
    Png,
    Tif,
    Qt,
    Rm,
    Rmi,
    Txt,
    Wav,
    Wmv,
    Zip,
};

inline constexpr int kFileKindCount = 25;

// Upper-case extension without the dot ("JPG"); empty for None.
std::u16string_view KindExtension(FileKind kind);
std::string_view KindExtensionAscii(FileKind kind);
// Inverse of KindExtensionAscii (exact, upper case); None when unknown.
FileKind KindFromExtension(std::string_view extension);

// True for the kinds that have an end marker (FindEndMarker can hit).
bool KindHasEndMarker(FileKind kind);

} // namespace vantrel
