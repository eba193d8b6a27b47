#pragma once

// The rows of a drive selector: every drive of the list (drives, then image files), then
// the drives that could not be opened, each with its icon and text.

#include "app/settings/EasySearchWizard.h"
#include "device/DriveList.h"

#include <vector>

namespace vantrel {

// The kind text and node ("ハードディスク(/dev/sda: /)"), in detail mode followed by a
// blank and the capacity.
QString DriveRowText(CDiskDevice& device, bool detailMode);
std::vector<DriveRow> MakeDriveRows(DriveList& drives, const std::vector<UnopenedDrive>& unopened,
                                    bool detailMode);

// Why a drive could not be opened and what to do, for the message box.
QString UnopenedDriveText(const UnopenedDrive& drive, bool diskServiceTried,
                          const QString& diskServiceError);

} // namespace vantrel
