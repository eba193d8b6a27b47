#pragma once

// Real names for carved files. After a database scan, the FAT and NTFS volumes in the
// range are looked up once: a carved file that starts where a directory entry's first
// cluster or an MFT record's first data run starts takes that entry's name, folder (as a
// display path) and times, and its size where the entry's is smaller and the format's
// own header gives no length. Its start-sector name stays in carvedName. Done in steps
// so that a large MFT does not hold the scan lock for long.

#include "engine/scan/KnownEntries.h"
#include "engine/scan/RangeVolumes.h"
#include "engine/tree/StepResult.h"

#include <memory>
#include <optional>

namespace vantrel {

class ScanResultNode;
class FileEntry;

// MFT records read per step.
inline constexpr std::uint64_t kNamingRecordsPerStep = 4096;

class CarvedNaming {
public:
    void Reset();
    // One step over node's files: kStepComplete when every carved file has been looked
    // up and named, else a count of steps done. A hint rules searches of the range's
    // start out.
    StepResult Step(ScanResultNode& node, const VolumeSearchHint* hint = nullptr);

    std::size_t VolumesLookedAt() const { return finder_.Volumes().size(); }
    std::size_t FilesNamed() const { return named_; }

private:
    void Start(ScanResultNode& node, const VolumeSearchHint* hint);
    // Looks at volume `volume_` of the finder; true when it is done.
    bool LookAtVolume();
    void Apply(ScanResultNode& node);

    bool started_ = false;
    bool done_ = false;
    StepResult steps_ = 0;
    RangeVolumeFinder finder_;
    std::size_t volume_ = 0;
    std::unique_ptr<KnownEntryMap> map_;
    std::unique_ptr<NtfsEntryPass> ntfsPass_;
    std::size_t named_ = 0;
};

// Gives file the entry's name (already made unique by the caller), folder, times and,
// where smaller and the content's header gives no length, size. The start-sector name
// goes to carvedName.
void NameCarvedFile(FileEntry& file, const KnownEntry& entry, std::u16string name);

} // namespace vantrel
