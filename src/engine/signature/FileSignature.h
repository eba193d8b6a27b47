#pragma once

// The signature database's byte tests. Every test reads only the bytes it is handed: a
// window of 8 sectors from a sector start during a scan, or the head of a carved file
// when it is renamed. None of them allocates.

#include "engine/signature/FileKind.h"
#include "platform/ByteReader.h"

#include <cstddef>
#include <cstdint>

namespace vantrel {

// What starts at the first byte of a window.
struct FileStart {
    FileKind kind = FileKind::None;
    // Length recorded in the header, in bytes; 0 when the format records none.
    std::uint64_t headerLength = 0;

    explicit operator bool() const { return kind != FileKind::None; }
};

// Kind of file starting at window[0], tested in FileKind order; None when nothing
// starts there. A window whose 32-bit words all repeat its first word (zeroed or
// unreadable sectors, fill patterns) never starts a file.
FileStart DetectFileType(Bytes window);

// True when the file starting at `window` ends an open file of kind `open`. Text does
// not end PDF, AI, EPS or MP3 files (they carry text); a file of the open kind ends it,
// except text in text, MPEG video in MPEG video, and MPEG audio frames in an MP3 (an ID3
// tag does end an MP3).
bool IsNewFileStart(Bytes window, FileKind open);

// The text test of a window (IsTextRun), answered by the caller, who may know it from
// sector summaries; asked only when its answer decides.
class TextRunQuery {
public:
    template <class Test>
    explicit TextRunQuery(const Test& test)
        : context_(&test),
          call_([](const void* context) { return (*static_cast<const Test*>(context))(); }) {}
    bool operator()() const { return call_(context_); }

private:
    const void* context_;
    bool (*call_)(const void*);
};

FileStart DetectFileType(Bytes window, const TextRunQuery& isTextRun);
bool IsNewFileStart(Bytes window, FileKind open, const TextRunQuery& isTextRun);

// False when no window whose first byte is `firstByte` can start a `kind` file (the
// kinds DetectFileType tries for that byte).
bool MayStartAs(std::uint8_t firstByte, FileKind kind);

// True when `bytes` begins with an MPEG audio frame header (the MP3 start test without
// the ID3 alternative).
bool IsMpegAudioFrameHeader(Bytes bytes);

// Length of the end marker of a `kind` file starting exactly at bytes[0] (the bytes of
// the marker that still belong to the file), or 0 when there is none.
std::size_t FindEndMarker(Bytes bytes, FileKind kind);

struct EndMarkerHit {
    bool found = false;
    std::size_t offset = 0; // where the marker starts
    std::size_t length = 0; // marker bytes that belong to the file

    std::size_t End() const { return offset + length; }
};

// First end marker of `kind` starting at one of the offsets 0 .. offsetCount - 1 of
// `bytes`; the marker itself may run on past those offsets up to the end of `bytes`.
// Looks for the marker's first two bytes 16 offsets at a time, so a sector is searched
// quickly.
EndMarkerHit SearchEndMarker(Bytes bytes, std::size_t offsetCount, FileKind kind);

} // namespace vantrel
