#include "viewers/core/EntryReader.h"

#include "engine/request/ScanLock.h"
#include "engine/tree/FileEntry.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

namespace vantrel {

bool MemoryEntryReader::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) {
    if (offset > bytes_.size() || count > bytes_.size() - offset)
        return false;
    if (count != 0)
        std::memcpy(buffer, bytes_.data() + offset, count);
    return true;
}

std::uint64_t FileEntryReader::Size() const {
    return entry_.size;
}

std::u16string FileEntryReader::Name() const {
    return entry_.name;
}

bool FileEntryReader::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) {
    // The entry refuses zero-length reads; reading nothing always succeeds here.
    if (count == 0)
        return offset <= entry_.size;
    // Large reads go in pieces so that no layer below needs a buffer of the whole count.
    constexpr std::size_t kPiece = 1 << 20;
    auto* out = static_cast<std::uint8_t*>(buffer);
    for (std::size_t done = 0; done < count;) {
        const std::size_t piece = std::min(kPiece, count - done);
        entry_.readPosition = offset + done;
        if (!entry_.ReadNext(out + done, piece))
            return false;
        done += piece;
    }
    return true;
}

bool StoppableReader::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    do {
        std::unique_lock lock(ScanLock(), std::defer_lock);
        while (!lock.try_lock()) {
            if (stop_.load())
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (stop_.load())
            return false;
        const std::size_t piece = std::min(kPiece, count - done);
        if (!reader_.ReadAt(offset + done, out + done, piece))
            return false;
        done += piece;
    } while (done < count);
    return true;
}

} // namespace vantrel
