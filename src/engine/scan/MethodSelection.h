#pragma once

// Choosing and attaching a scan method to a "スキャン結果" node.

#include "device/DiskWindow.h"
#include "engine/tree/ResultNode.h"
#include "engine/tree/ScanMethod.h"

#include <cstdint>
#include <memory>

namespace vantrel {

class ScanResultNode;

// The method for a range from its first sector: NTFS (3) or FAT (2) when the sector, or
// the boot sector of the first partition of a partition table there, is one of theirs.
// When the first sector holds neither, the start of the range is searched as a lost
// partition table is (boot sectors, then FAT folder clusters). The signature database
// (1) otherwise, and whenever the range cannot be read. reason, when given, receives
// the log line that says why.
MethodCode DetectMethod(CDiskWindow& window, std::uint64_t start, std::uint64_t length,
                        std::u16string* reason = nullptr);

// Creates the method for code (0 = DetectMethod) and attaches it to node; null when the
// code is unknown or the method cannot be attached.
std::unique_ptr<ScanMethod> CreateScanMethod(MethodCode code, ScanResultNode& node);

// Makes ScanResultNode::SelectMethod create the methods above. Called once at start-up by
// every front end (and by tests); calling it again does no harm.
void InstallScanMethods();

} // namespace vantrel
