#include "device/ewf/EwfDisk.h"

#include "device/ewf/EwfSegmentChain.h"
#include "platform/ReadOnlyFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <libewf.h>

namespace vantrel {

namespace {

libewf_handle_t* Handle(void* handle) {
    return static_cast<libewf_handle_t*>(handle);
}

// The last line of libewf's error backtrace (the most general one), and frees the error.
std::string ErrorText(libewf_error_t*& error) {
    if (!error)
        return {};
    char text[2048] = {};
    libewf_error_backtrace_sprint(error, text, sizeof text);
    libewf_error_free(&error);
    std::string message(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    const std::size_t last = message.rfind('\n');
    return last == std::string::npos ? message : message.substr(last + 1);
}

// The segment after name: image.E01 -> image.E02, ... .E99 -> .EAA (the naming the
// acquisition tools use); empty when name does not follow it.
std::string NextSegmentName(const std::string& name) {
    if (name.size() < 4 || name[name.size() - 4] != '.')
        return {};
    std::string next = name;
    char& a = next[next.size() - 2];
    char& b = next[next.size() - 1];
    if (std::isdigit(static_cast<unsigned char>(a)) &&
        std::isdigit(static_cast<unsigned char>(b))) {
        if (a == '9' && b == '9') {
            a = b = 'A';
        } else if (b == '9') {
            ++a;
            b = '0';
        } else {
            ++b;
        }
        return next;
    }
    if (b == 'Z' || b == 'z') {
        if (a == 'Z' || a == 'z')
            return {};
        ++a;
        b = static_cast<char>(b - 25);
    } else {
        ++b;
    }
    return next;
}

// Why the segments cannot make one image, naming the segment at fault; "" when they can.
std::string SegmentProblem(const std::vector<std::string>& segments) {
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const std::string& name = segments[i];
        ReadOnlyFile file;
        EwfSegmentInfo info;
        if (!file.Open(name))
            return "セグメントファイルを開けませんでした: " + name;
        const std::uint64_t size = file.FileSize();
        const EwfReadAt read = [&file](std::uint64_t offset, void* buffer, std::size_t bytes) {
            return file.ReadAt(offset, buffer, bytes);
        };
        if (!ReadEwfSegment(read, size, &info))
            return "E01 のセグメントファイルではありません: " + name;
        if (info.number != i + 1)
            return "セグメントファイルの番号が合いません（" + std::to_string(i + 1) +
                   " 番目のはずが " + std::to_string(info.number) + " 番です）: " + name;
        const bool last = i + 1 == segments.size();
        if (info.end == EwfSegmentEnd::Broken || (info.end == EwfSegmentEnd::Done && !last))
            return "セグメントファイルが壊れているか、途中で切れています: " + name;
        if (info.end == EwfSegmentEnd::Next && last) {
            const std::string next = NextSegmentName(name);
            return "セグメントファイルが見つかりません: " + (next.empty() ? name + " の次" : next);
        }
    }
    return {};
}

std::string HeaderValue(libewf_handle_t* handle, const char* identifier, bool hash) {
    std::uint8_t value[512] = {};
    libewf_error_t* error = nullptr;
    const auto* id = reinterpret_cast<const std::uint8_t*>(identifier);
    const int found = hash ? libewf_handle_get_utf8_hash_value(handle, id, std::strlen(identifier),
                                                               value, sizeof value, &error)
                           : libewf_handle_get_utf8_header_value(
                                 handle, id, std::strlen(identifier), value, sizeof value, &error);
    if (found != 1) {
        if (error)
            libewf_error_free(&error);
        return {};
    }
    return std::string(reinterpret_cast<const char*>(value));
}

} // namespace

CEwfDisk::CEwfDisk() = default;

CEwfDisk::~CEwfDisk() {
    Close();
}

void CEwfDisk::Close() {
    if (handle_) {
        libewf_handle_t* handle = Handle(handle_);
        libewf_handle_close(handle, nullptr);
        libewf_handle_free(&handle, nullptr);
        handle_ = nullptr;
    }
    segments_.clear();
    acquiryErrors_.clear();
    mediaBytes_ = 0;
    bytesPerSector_ = 512;
    ResetFields();
}

bool CEwfDisk::Open(const std::string& path, std::string* problem) {
    Close();
    path_ = path;
    libewf_error_t* error = nullptr;
    char** names = nullptr;
    int count = 0;
    if (libewf_glob(path.c_str(), path.size(), LIBEWF_FORMAT_UNKNOWN, &names, &count, &error) !=
        1) {
        *problem = "E01 イメージのセグメントファイルを探せませんでした（" + ErrorText(error) +
                   "）: " + path;
        return false;
    }
    for (int i = 0; i < count; ++i)
        segments_.emplace_back(names[i]);
    *problem = SegmentProblem(segments_);
    if (!problem->empty()) {
        libewf_glob_free(names, count, nullptr);
        Close();
        return false;
    }
    libewf_handle_t* handle = nullptr;
    bool opened = libewf_handle_initialize(&handle, &error) == 1;
    if (opened)
        handle_ = handle;
    opened = opened && libewf_handle_open(handle, names, count, LIBEWF_OPEN_READ, &error) == 1;
    libewf_glob_free(names, count, nullptr);
    if (!opened) {
        *problem = "E01 イメージを開けませんでした（" + ErrorText(error) + "）: " + path;
        Close();
        return false;
    }
    size64_t media = 0;
    std::uint32_t sector = 0;
    if (libewf_handle_get_media_size(handle, &media, &error) != 1 ||
        libewf_handle_get_bytes_per_sector(handle, &sector, &error) != 1 || sector == 0 ||
        media < sector) {
        *problem = "E01 イメージの大きさを読めませんでした" +
                   (error ? "（" + ErrorText(error) + "）" : std::string()) + ": " + path;
        Close();
        return false;
    }
    mediaBytes_ = media;
    bytesPerSector_ = sector;
    if (libewf_handle_get_media_type(handle, &mediaType_, &error) != 1)
        ErrorText(error);
    std::uint32_t errors = 0;
    if (libewf_handle_get_number_of_acquiry_errors(handle, &errors, &error) != 1)
        ErrorText(error);
    for (std::uint32_t i = 0; i < errors; ++i) {
        std::uint64_t first = 0;
        std::uint64_t sectors = 0;
        if (libewf_handle_get_acquiry_error(handle, i, &first, &sectors, &error) == 1)
            acquiryErrors_.emplace_back(first, sectors);
        else
            ErrorText(error);
    }
    return GetCapacity(nullptr, nullptr);
}

std::string CEwfDisk::FormatName() const {
    std::uint8_t format = 0;
    libewf_error_t* error = nullptr;
    if (!handle_ || libewf_handle_get_format(Handle(handle_), &format, &error) != 1) {
        ErrorText(error);
        return "EWF";
    }
    switch (format) {
    case LIBEWF_FORMAT_ENCASE1:
    case LIBEWF_FORMAT_ENCASE2:
    case LIBEWF_FORMAT_ENCASE3:
    case LIBEWF_FORMAT_ENCASE4:
    case LIBEWF_FORMAT_ENCASE5:
    case LIBEWF_FORMAT_ENCASE6:
    case LIBEWF_FORMAT_ENCASE7:
        return "EnCase " + std::to_string(format);
    case LIBEWF_FORMAT_SMART:
        return "SMART";
    case LIBEWF_FORMAT_FTK_IMAGER:
        return "FTK Imager";
    case LIBEWF_FORMAT_LINEN5:
    case LIBEWF_FORMAT_LINEN6:
    case LIBEWF_FORMAT_LINEN7:
        return "linen " + std::to_string(format - 0x20);
    default:
        return "EWF";
    }
}

std::vector<std::pair<std::string, std::string>> CEwfDisk::Metadata() const {
    std::vector<std::pair<std::string, std::string>> values;
    if (!handle_)
        return values;
    static const struct {
        const char* label;
        const char* identifier;
        bool hash;
    } kFields[] = {
        {"事件番号", "case_number", false},
        {"証拠番号", "evidence_number", false},
        {"説明", "description", false},
        {"調査担当者", "examiner_name", false},
        {"メモ", "notes", false},
        {"取得日時", "acquiry_date", false},
        {"MD5", "MD5", true},
        {"SHA-1", "SHA1", true},
    };
    for (const auto& field : kFields) {
        const std::string value = HeaderValue(Handle(handle_), field.identifier, field.hash);
        if (!value.empty())
            values.emplace_back(field.label, value);
    }
    return values;
}

std::int32_t CEwfDisk::GetDriveKind() {
    switch (mediaType_) {
    case LIBEWF_MEDIA_TYPE_REMOVABLE:
        return kDriveRemovable;
    case LIBEWF_MEDIA_TYPE_OPTICAL:
        return kDriveCdRom;
    default:
        return kDriveHardDisk;
    }
}

bool CEwfDisk::GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) {
    if (!handle_ || mediaBytes_ < bytesPerSector_)
        return false;
    lastLba_ = mediaBytes_ / bytesPerSector_ - 1;
    sectorSize_ = bytesPerSector_;
    if (lastLba)
        *lastLba = lastLba_;
    if (sectorSize)
        *sectorSize = sectorSize_;
    return true;
}

bool CEwfDisk::InAcquiryError(std::uint64_t lba, std::uint32_t count) const {
    return std::any_of(acquiryErrors_.begin(), acquiryErrors_.end(), [&](const auto& range) {
        return lba < range.first + range.second && range.first < lba + count;
    });
}

bool CEwfDisk::ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                           std::uint32_t bufferSize) {
    const std::uint64_t bytes = std::uint64_t{count} * bytesPerSector_;
    if (!handle_ || !buffer || count == 0 || lba > lastLba_ || count > lastLba_ - lba + 1 ||
        bufferSize < bytes || InAcquiryError(lba, count))
        return false;
    libewf_handle_t* handle = Handle(handle_);
    libewf_error_t* error = nullptr;
    const ssize_t got =
        libewf_handle_read_random(handle, buffer, static_cast<std::size_t>(bytes),
                                  static_cast<off64_t>(lba * bytesPerSector_), &error);
    if (got < 0 || static_cast<std::uint64_t>(got) != bytes) {
        ErrorText(error);
        return false;
    }
    // A chunk whose checksum fails holds data we cannot trust: it reads as bad sectors.
    std::uint32_t ranges = 0;
    if (libewf_handle_get_number_of_checksum_errors(handle, &ranges, &error) != 1) {
        ErrorText(error);
        return false;
    }
    for (std::uint32_t i = 0; i < ranges; ++i) {
        std::uint64_t first = 0;
        std::uint64_t sectors = 0;
        if (libewf_handle_get_checksum_error(handle, i, &first, &sectors, &error) != 1) {
            ErrorText(error);
            return false;
        }
        if (lba < first + sectors && first < lba + count)
            return false;
    }
    return true;
}

} // namespace vantrel
