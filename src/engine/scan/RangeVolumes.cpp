#include "engine/scan/RangeVolumes.h"

#include "engine/partition/DriveNode.h"
#include "engine/partition/PartitionNode.h"
#include "engine/scan/FatScanMethod.h"
#include "engine/scan/NtfsScanMethod.h"
#include "engine/tree/ScanResultNode.h"
#include "engine/volume/FatFolderNode.h"
#include "engine/volume/NtfsFolderNode.h"

namespace vantrel {

namespace {

// Device, partition, logical drive, partition: volumes lie no deeper than this.
constexpr int kMaxWalkDepth = 6;
constexpr std::size_t kMaxVolumes = 256;

std::u16string Joined(const std::u16string& path, const std::u16string& name) {
    return path.empty() ? name : path + u'/' + name;
}

} // namespace

RangeVolumeFinder::RangeVolumeFinder() = default;
RangeVolumeFinder::~RangeVolumeFinder() = default;

std::u16string NodeDisplayPath(const ResultNode& node) {
    std::u16string path = node.Name();
    for (const ResultNode* at = node.Parent(); at; at = at->Parent())
        path = at->Name() + u'/' + path;
    return path;
}

void RangeVolumeFinder::Clear() {
    volumes_.clear();
    root_.reset();
}

std::uint64_t VolumeSearchSectors(std::uint32_t sectorSize) {
    if (sectorSize == 0)
        return 0;
    return kVolumeSearchBytes / sectorSize + kScanStepSectors + kScanChunkBytes / sectorSize;
}

void RangeVolumeFinder::Find(ScanResultNode& node, const VolumeSearchHint* hint) {
    Clear();
    CDiskWindow* scanned = node.GetWindow();
    std::uint64_t lastLba = 0;
    std::uint32_t sectorSize = 0;
    if (!scanned || !scanned->GetCapacity(&lastLba, &sectorSize) || sectorSize == 0)
        return;
    // The walk starts from a copy of the node that owns the range: the drive (whole
    // device or logical drive) when the range is all of its window, else a partition.
    const ResultNode* parent = node.Parent();
    const auto* drive = dynamic_cast<const DriveNode*>(parent);
    const bool wholeWindow = node.RangeStart() == 0 && node.RangeLength() == lastLba + 1;
    std::u16string prefix = parent ? NodeDisplayPath(*parent) : std::u16string{};
    if (wholeWindow && (drive || scanned->WholeDevice())) {
        auto copy = std::make_unique<DriveNode>();
        const bool opened =
            scanned->WholeDevice()
                ? copy->OpenDevice(scanned->Device())
                : copy->OpenLogical(scanned, 0, lastLba + 1, drive ? drive->LogicalEntry() : 0);
        if (!opened)
            return;
        if (!parent)
            prefix = copy->Name();
        root_ = std::move(copy);
    } else {
        root_ = std::make_unique<PartitionNode>(scanned, node.RangeStart(), node.RangeLength(),
                                                parent ? parent->Name() : std::u16string{});
    }
    AnalyseCompletely(*root_);
    Collect(*root_, prefix, *scanned, 0);
    if (volumes_.empty())
        Search(node, *scanned, sectorSize, hint);
}

void RangeVolumeFinder::Search(ScanResultNode& node, CDiskWindow& scanned, std::uint32_t sectorSize,
                               const VolumeSearchHint* hint) {
    // A method searches from a probe of its own: the node's findings stay untouched.
    ScanResultNode probe;
    if (!probe.SetUp(&scanned, node.RangeStart(), node.RangeLength()))
        return;
    const std::uint64_t limit = kVolumeSearchBytes / sectorSize;
    const auto searched = [&](SectorScanMethod& method) {
        if (!method.Attach(probe))
            return false;
        for (;;) {
            const StepResult p = method.SearchStep();
            if (p == kStepComplete)
                return true;
            if (p == kStepFailed || p > limit)
                return false;
        }
    };
    // Folders found this way have no node of their own: their paths start at the range's.
    RangeVolume volume;
    volume.window = &scanned;
    volume.rootPath = NodeDisplayPath(node);
    if (!hint || hint->MayFindFat()) {
        // Gone (with the sectors it read ahead) before the NTFS search begins.
        FatScanMethod fat;
        if (searched(fat) && fat.BootRecord()) {
            volume.fat = std::make_shared<const FatBootRecord>(*fat.BootRecord());
            volumes_.push_back(volume);
            return;
        }
    }
    if (hint && !hint->MayFindNtfs())
        return;
    NtfsScanMethod ntfs;
    if (searched(ntfs) && ntfs.Volume() && ntfs.Volume()->IsOpen()) {
        volume.ntfs = ntfs.Volume();
        volumes_.push_back(volume);
    }
}

void RangeVolumeFinder::Collect(ResultNode& node, const std::u16string& path, CDiskWindow& scanned,
                                int depth) {
    for (const auto& child : node.Children()) {
        if (volumes_.size() >= kMaxVolumes)
            return;
        const std::u16string childPath = Joined(path, child->Name());
        RangeVolume volume;
        if (const auto* fat = dynamic_cast<const FatFolderNode*>(child.get())) {
            if (fat->BootRecord() && fat->VolumeWindow()) {
                volume.fat = std::make_shared<const FatBootRecord>(*fat->BootRecord());
                volume.window = fat->VolumeWindow();
            }
        } else if (const auto* ntfs = dynamic_cast<const NtfsFolderNode*>(child.get())) {
            if (ntfs->Volume() && ntfs->Volume()->IsOpen()) {
                volume.ntfs = ntfs->Volume();
                volume.window = &ntfs->Volume()->Window();
            }
        } else if (!child->IsScanTarget() && depth < kMaxWalkDepth) {
            AnalyseCompletely(*child);
            Collect(*child, childPath, scanned, depth + 1);
            continue;
        }
        // A volume on another device, or starting before the scanned window, has no
        // sectors in the range.
        if (!volume.window || volume.window->Device() != scanned.Device() ||
            volume.window->Start() < scanned.Start())
            continue;
        volume.lbaOffset = volume.window->Start() - scanned.Start();
        volume.rootPath = childPath;
        volumes_.push_back(std::move(volume));
    }
}

} // namespace vantrel
