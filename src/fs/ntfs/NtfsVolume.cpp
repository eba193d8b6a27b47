#include "fs/ntfs/NtfsVolume.h"

#include "fs/ntfs/MftRecord.h"

#include <algorithm>
#include <bit>

namespace vantrel {

namespace {

// Saturating arithmetic: an LBA computed from damaged fields becomes one that no read
// can reach instead of wrapping onto real data.
std::uint64_t MulSat(std::uint64_t a, std::uint64_t b) {
    std::uint64_t r = 0;
    return __builtin_mul_overflow(a, b, &r) ? ~0ull : r;
}
std::uint64_t AddSat(std::uint64_t a, std::uint64_t b) {
    std::uint64_t r = 0;
    return __builtin_add_overflow(a, b, &r) ? ~0ull : r;
}

constexpr std::uint32_t kMaxBytesPerCluster = 1u << 24;
constexpr std::uint32_t kMaxReadSectorsBytes = 1u << 20;
// A record holds at least one update-sequence stride; 64 KiB is far above any formatter's.
constexpr std::uint64_t kMinRecordBytes = 512;
constexpr std::uint64_t kMaxRecordBytes = 65536;

} // namespace

std::uint64_t NtfsClusterSectors(std::uint8_t sectorsPerCluster) {
    if (sectorsPerCluster <= 0x80)
        return sectorsPerCluster;
    const unsigned shift = 256u - sectorsPerCluster;
    return shift < 32 ? 1ull << shift : 0;
}

std::uint32_t NtfsRecordBytes(std::int8_t clustersPerRecord, std::uint32_t bytesPerCluster) {
    std::uint64_t bytes = 0;
    if (clustersPerRecord > 0)
        bytes = std::uint64_t{static_cast<std::uint8_t>(clustersPerRecord)} * bytesPerCluster;
    else if (clustersPerRecord < 0 && clustersPerRecord >= -31)
        bytes = 1ull << -clustersPerRecord;
    const bool usable =
        std::has_single_bit(bytes) && bytes >= kMinRecordBytes && bytes <= kMaxRecordBytes;
    return usable ? static_cast<std::uint32_t>(bytes) : 0;
}

bool NtfsVolume::Open(CDiskWindow& window, std::uint64_t volumeStart, std::uint64_t bootCopyLba) {
    window_ = nullptr;
    std::uint64_t lastLba = 0;
    std::uint32_t sectorSize = 0;
    if (!window.GetCapacity(&lastLba, &sectorSize) || lastLba == 0 || sectorSize == 0)
        return false;
    constexpr std::uint32_t kBootBytes = kNtfsBootSectorSize;
    const std::uint32_t count = sectorSize >= kBootBytes ? 1 : kBootBytes / sectorSize;
    std::vector<std::uint8_t> sector(std::size_t{count} * sectorSize);
    if (!window.ReadSectors(bootCopyLba, count, sector.data(), count * sectorSize))
        return false;
    NtfsBootRecord boot;
    if (!IsNtfsBootSector(sector, static_cast<std::uint32_t>(sector.size())) ||
        !ParseNtfsBootRecord(sector, &boot))
        return false;
    return OpenWithBootRecord(window, volumeStart, boot);
}

bool NtfsVolume::OpenWithBootRecord(CDiskWindow& window, std::uint64_t volumeStart,
                                    const NtfsBootRecord& boot) {
    window_ = nullptr;
    mftRuns_.clear();
    mftBytes_ = 0;
    if (window.Length() == 0 && !window.GetCapacity(nullptr, nullptr))
        return false;
    boot_ = boot;
    volumeStart_ = volumeStart;
    sectorSize_ = window.SectorSize();
    if (!SetGeometry())
        return false;
    window_ = &window;
    mftLba_ = ClusterToLba(boot_.mftCluster);
    LoadMftMap();
    return true;
}

bool NtfsVolume::SetGeometry() {
    const std::uint32_t bps = boot_.bytesPerSector;
    const std::uint64_t spc = NtfsClusterSectors(boot_.sectorsPerCluster);
    // Sizes must be powers of two, and the volume's sector a whole number of window
    // sectors, or no LBA computed below would be right.
    if (!std::has_single_bit(bps) || bps < 256 || !std::has_single_bit(sectorSize_) ||
        bps % sectorSize_ != 0 || spc == 0 || MulSat(spc, bps) > kMaxBytesPerCluster)
        return false;
    bytesPerCluster_ = static_cast<std::uint32_t>(spc * bps);
    // Volumes made for 4 KiB sectors keep 4 KiB records even where a sector is 512 bytes.
    // A field that names no usable size, or a record smaller than a sector, falls back to
    // the rule that fits what formatters write: 1 KiB, or one sector when that is larger.
    const std::uint32_t stated = NtfsRecordBytes(boot_.clustersPerRecord, bytesPerCluster_);
    if (stated >= bps && stated % sectorSize_ == 0)
        recordSize_ = stated;
    else
        recordSize_ = bps >= 1024 ? bps : 1024;
    return recordSize_ % sectorSize_ == 0;
}

std::uint64_t NtfsVolume::ClusterToLba(std::uint64_t lcn) const {
    return AddSat(volumeStart_, MulSat(lcn, SectorsPerCluster()));
}

std::uint64_t NtfsVolume::LbaToCluster(std::uint64_t lba) const {
    return lba < volumeStart_ ? 0 : (lba - volumeStart_) / SectorsPerCluster();
}

std::uint64_t NtfsVolume::RecordLba(std::uint64_t recordNumber) const {
    return AddSat(mftLba_, MulSat(recordNumber, SectorsPerRecord()));
}

std::uint64_t NtfsVolume::LbaToRecordNumber(std::uint64_t lba) const {
    return lba < mftLba_ ? 0 : (lba - mftLba_) / SectorsPerRecord();
}

std::uint64_t NtfsVolume::RecordNumberAtLba(std::uint64_t lba) const {
    if (!IsMftMapped())
        return LbaToRecordNumber(lba);
    const std::uint64_t spc = SectorsPerCluster();
    for (const NtfsRun& run : mftRuns_) {
        if (run.sparse)
            continue;
        const std::uint64_t first = ClusterToLba(static_cast<std::uint64_t>(run.lcn));
        const std::uint64_t sectors = MulSat(run.clusters, spc);
        if (lba >= first && lba - first < sectors) {
            const std::uint64_t sector = AddSat(MulSat(run.vcn, spc), lba - first);
            return MulSat(sector, sectorSize_) / recordSize_;
        }
    }
    return LbaToRecordNumber(lba);
}

bool NtfsVolume::ReadVolumeLabel(std::u16string* label) {
    MftRecord volume;
    if (!volume.Load(*this, kVolumeRecordNumber))
        return false;
    const NtfsAttribute* name = volume.FindAttribute(kAttrVolumeName, kLowestAttributeId);
    if (name == nullptr || !name->IsResident())
        return false;
    const ByteReader r(name->value);
    label->assign(name->value.size() / 2, u'\0');
    for (std::size_t i = 0; i < label->size(); ++i)
        (*label)[i] = static_cast<char16_t>(r.U16(2 * i));
    return true;
}

NtfsBootRecord MakeNtfsBootRecord(std::uint16_t bytesPerSector, std::uint8_t sectorsPerCluster,
                                  std::uint64_t mftCluster, std::uint64_t totalSectors) {
    NtfsBootRecord boot;
    boot.jump = {0xEB, 0x52, 0x90};
    std::copy_n("NTFS    ", 8, boot.oemName.begin());
    boot.bytesPerSector = bytesPerSector;
    boot.sectorsPerCluster = sectorsPerCluster;
    boot.media = 0xF8;
    boot.sectorsPerTrack = 63;
    boot.numHeads = 255;
    boot.totalSectors = totalSectors;
    boot.mftCluster = mftCluster;
    boot.endMarker = 0;
    boot.signature = 0xAA55;
    return boot;
}

std::uint64_t NtfsVolume::MappedRecordCount() const {
    return IsMftMapped() ? mftBytes_ / recordSize_ : 0;
}

bool NtfsVolume::ReadRecord(std::uint64_t recordNumber, std::vector<std::uint8_t>* out) {
    if (!IsOpen())
        return false;
    out->assign(recordSize_, 0);
    if (IsMftMapped()) {
        if (recordNumber >= MappedRecordCount())
            return false;
        return ReadRunData(mftRuns_, recordNumber * recordSize_, *out);
    }
    return ReadBytes(RecordLba(recordNumber), 0, *out);
}

void NtfsVolume::LoadMftMap() {
    MftRecord mft;
    if (!mft.Load(*this, kMftRecordNumber))
        return;
    const NtfsAttribute* data = mft.DataAttribute();
    if (data == nullptr || data->IsResident() || data->IsCompressed() || data->runs.empty())
        return;
    // Record 0 found by the contiguous rule must describe itself: its first run starts
    // at the MFT's first cluster. Otherwise the boot sector and the record disagree and
    // the map would be guesswork.
    const NtfsRun& first = data->runs.front();
    if (first.sparse || static_cast<std::uint64_t>(first.lcn) != boot_.mftCluster ||
        data->size < recordSize_)
        return;
    mftRuns_ = data->runs;
    mftBytes_ = data->size;
}

bool NtfsVolume::ReadBytes(std::uint64_t lba, std::uint64_t byteOffset,
                           std::span<std::uint8_t> out) {
    if (!IsOpen())
        return false;
    std::uint64_t sector = AddSat(lba, byteOffset / sectorSize_);
    std::size_t skip = static_cast<std::size_t>(byteOffset % sectorSize_);
    std::size_t done = 0;
    std::vector<std::uint8_t> buffer;
    while (done < out.size()) {
        const std::size_t want = out.size() - done;
        std::uint64_t sectors = (skip + want + sectorSize_ - 1) / sectorSize_;
        sectors = std::min<std::uint64_t>(sectors, kMaxReadSectorsBytes / sectorSize_);
        const auto bytes = static_cast<std::uint32_t>(sectors * sectorSize_);
        buffer.resize(bytes);
        if (!window_->ReadSectors(sector, static_cast<std::uint32_t>(sectors), buffer.data(),
                                  bytes))
            return false;
        const std::size_t take = std::min<std::size_t>(want, bytes - skip);
        std::copy_n(buffer.begin() + static_cast<std::ptrdiff_t>(skip), take,
                    out.begin() + static_cast<std::ptrdiff_t>(done));
        done += take;
        sector = AddSat(sector, sectors);
        skip = 0;
    }
    return true;
}

bool NtfsVolume::ReadRunData(const std::vector<NtfsRun>& runs, std::uint64_t offset,
                             std::span<std::uint8_t> out) {
    const std::uint64_t bpc = bytesPerCluster_;
    std::size_t done = 0;
    // Runs are in VCN order; find the first one that holds offset.
    auto run = std::upper_bound(runs.begin(), runs.end(), offset / bpc,
                                [](std::uint64_t vcn, const NtfsRun& r) { return vcn < r.vcn; });
    if (run == runs.begin())
        return out.empty();
    --run;
    while (done < out.size()) {
        if (run == runs.end())
            return false;
        const std::uint64_t position = offset + done;
        const std::uint64_t runStart = MulSat(run->vcn, bpc);
        const std::uint64_t runBytes = MulSat(run->clusters, bpc);
        if (position < runStart || position - runStart >= runBytes) {
            ++run;
            continue;
        }
        const std::uint64_t inRun = position - runStart;
        const std::size_t take =
            static_cast<std::size_t>(std::min<std::uint64_t>(runBytes - inRun, out.size() - done));
        const auto piece = out.subspan(done, take);
        if (run->sparse)
            std::fill(piece.begin(), piece.end(), std::uint8_t{0});
        else if (!ReadBytes(ClusterToLba(static_cast<std::uint64_t>(run->lcn)), inRun, piece))
            return false;
        done += take;
        ++run;
    }
    return true;
}

std::vector<NtfsExtent> NtfsVolume::RunsToExtents(const std::vector<NtfsRun>& runs) const {
    std::vector<NtfsExtent> extents;
    extents.reserve(runs.size());
    for (const NtfsRun& run : runs) {
        const std::uint64_t sectors = MulSat(run.clusters, SectorsPerCluster());
        const std::uint64_t lba =
            run.sparse ? kSparseLba : ClusterToLba(static_cast<std::uint64_t>(run.lcn));
        extents.push_back({lba, sectors});
    }
    return extents;
}

} // namespace vantrel
