#include "fs/ntfs/NtfsFile.h"

#include "fs/ntfs/NtfsVolume.h"

namespace vantrel {

namespace {
const std::vector<std::uint8_t> kNoBytes;
const std::vector<NtfsExtent> kNoExtents;
} // namespace

bool NtfsFile::Open(NtfsVolume& volume, std::uint64_t recordNumber) {
    data_ = nullptr;
    return record_.Load(volume, recordNumber) && Take();
}

bool NtfsFile::OpenAt(NtfsVolume& volume, std::uint64_t lba) {
    data_ = nullptr;
    return record_.LoadFromLba(volume, lba) && Take();
}

bool NtfsFile::Take() {
    StandardInformationValue si;
    name_ = record_.FileName();
    if (name_.empty() || !record_.StandardInformation(&si))
        return false;
    data_ = record_.DataAttribute();
    times_ = record_.Times();
    return data_ != nullptr;
}

const std::vector<std::uint8_t>& NtfsFile::ResidentData() const {
    return IsResident() ? data_->value : kNoBytes;
}

const std::vector<NtfsExtent>& NtfsFile::Extents() const {
    return data_ ? data_->extents : kNoExtents;
}

bool NtfsFile::Read(std::uint64_t offset, std::size_t length, std::uint8_t* buffer) {
    return data_ != nullptr && record_.ReadAttributeData(*data_, offset, length, buffer);
}

} // namespace vantrel
