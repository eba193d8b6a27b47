#pragma once

// What a viewer reads a found file through: its size and reads at 64-bit offsets. The
// windows read a result entry; tests and fuzz targets read bytes in memory.

#include "platform/ByteReader.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

class FileEntry;

class EntryReader {
public:
    virtual ~EntryReader() = default;
    virtual std::uint64_t Size() const = 0;
    virtual std::u16string Name() const = 0;
    // Reads count bytes at offset; false unless all of them could be read.
    [[nodiscard]] virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) = 0;
};

class MemoryEntryReader : public EntryReader {
public:
    explicit MemoryEntryReader(std::vector<std::uint8_t> bytes, std::u16string name = {})
        : bytes_(std::move(bytes)), name_(std::move(name)) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    std::u16string Name() const override { return name_; }
    [[nodiscard]] bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override;

private:
    std::vector<std::uint8_t> bytes_;
    std::u16string name_;
};

// A result entry: sets its read position and reads through it.
class FileEntryReader : public EntryReader {
public:
    explicit FileEntryReader(FileEntry& entry) : entry_(entry) {}
    std::uint64_t Size() const override;
    std::u16string Name() const override;
    [[nodiscard]] bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override;

private:
    FileEntry& entry_;
};

// Reads through another reader a piece at a time for a thread of the user interface: each
// piece under the engine's scan lock, so that it never reads a disk while a worker's step
// does, and failing as soon as stop is set, so that a window closed during a long read
// waits for one piece at most (never for the lock, which a worker may hold while it waits
// for the window's thread).
class StoppableReader : public EntryReader {
public:
    static constexpr std::size_t kPiece = std::size_t{1} << 20;

    StoppableReader(EntryReader& reader, const std::atomic<bool>& stop)
        : reader_(reader), stop_(stop) {}
    std::uint64_t Size() const override { return reader_.Size(); }
    std::u16string Name() const override { return reader_.Name(); }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override;

private:
    EntryReader& reader_;
    const std::atomic<bool>& stop_;
};

} // namespace vantrel
