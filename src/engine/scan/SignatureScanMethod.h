#pragma once

// "データベース方式": files found by their content signatures. Nothing to search for
// first; detection walks the range through the signature carver and turns each file it
// reports into a carved FileEntry, renamed by its content.

#include "engine/scan/CarvedNaming.h"
#include "engine/scan/SectorScanMethod.h"
#include "engine/signature/SignatureCarver.h"

namespace vantrel {

class SignatureScanMethod : public SectorScanMethod {
public:
    bool Attach(ScanResultNode& node) override;
    void Reset() override;
    StepResult DetectStep() override;
    // Names the carved files after the FAT and NTFS entries that still describe them.
    StepResult FinishStep() override;
    std::u16string MethodName() const override;

    const CarvedFile& Current() const { return carver_.Current(); }

protected:
    BlockMarker BlockMarks() const override;

private:
    void AddCarvedFile(const FoundCarvedFile& found);

    SignatureCarver carver_;
    CarvedNaming naming_;
    VolumeSearchHint searchHint_;
};

} // namespace vantrel
