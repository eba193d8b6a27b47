#pragma once

// The interface a "スキャン結果" node drives a scan through. The concrete methods (FAT,
// NTFS, signature database) live with the scans; the node only forwards to them.

#include "device/DiskWindow.h"
#include "engine/tree/ResultNode.h"

#include <functional>
#include <memory>
#include <string>

namespace vantrel {

class ScanResultNode;

class ScanMethod {
public:
    ScanMethod() = default;
    virtual ~ScanMethod() = default;
    ScanMethod(const ScanMethod&) = delete;
    ScanMethod& operator=(const ScanMethod&) = delete;

    virtual void Reset() { badSectors_.Clear(); }
    // Nothing to search by default.
    virtual StepResult SearchStep() { return kStepComplete; }
    virtual StepResult DetectStep() = 0;
    // After detection, before the rebuild: completes what detection found (the database
    // method names carved files after the entries file systems still hold for them).
    virtual StepResult FinishStep() { return kStepComplete; }
    // Detection was stopped before its end: what the method met but has not added yet
    // is added now, so that a stopped scan shows all it found.
    virtual void DetectStopped() {}
    virtual std::u16string MethodName() const;
    BadSectorList& BadSectors() { return badSectors_; }

protected:
    BadSectorList badSectors_;
};

// Creates and attaches the method for a code (0 = choose one) to node, or returns null
// when it cannot be attached. Installed by the scan library at start-up.
using ScanMethodFactory =
    std::function<std::unique_ptr<ScanMethod>(MethodCode code, ScanResultNode& node)>;
void SetScanMethodFactory(ScanMethodFactory factory);
const ScanMethodFactory& GetScanMethodFactory();

} // namespace vantrel
