#pragma once

// The rows of the drive selectors (the browse screen's and the wizard's): every drive of
// the list (drives, then image files), then the drives that could not be opened, each
// with its icon and text.

#include "app/settings/EasySearchWizard.h"
#include "device/DriveList.h"

#include <vector>

namespace vantrel {

// The kind text and node ("ハードディスク(/dev/sda: /)"; an image file is
// "イメージファイル(path)" or "E01 イメージファイル(path)"), in detail mode followed by
// a blank and the capacity; " (マップ付き)" for an image read with its rescue map.
QString DriveRowText(CDiskDevice& device, bool detailMode);
QIcon DriveRowIcon(CDiskDevice& device);
// Its description (the node when there is none), " (開けません)" at the end.
QString UnopenedRowText(const UnopenedDrive& drive, bool detailMode);
QIcon UnopenedRowIcon();
std::vector<DriveRow> MakeDriveRows(DriveList& drives, const std::vector<UnopenedDrive>& unopened,
                                    bool detailMode);

// Why a drive could not be opened and what to do, for the message box.
QString UnopenedDriveText(const UnopenedDrive& drive, bool diskServiceTried,
                          const QString& diskServiceError);

} // namespace vantrel
