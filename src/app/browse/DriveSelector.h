#pragma once

// The drive selector: one row per drive of the run's drive list, in its order, with the
// device's name (in detail mode also its capacity) and icon. Drives the system listed but
// the program could not open follow, so that the user learns why. A name longer than the
// box's room is shortened in the middle, and the whole name is in the tooltip.

#include "skin/ElidedComboBox.h"

namespace vantrel {

class CDiskDevice;
class FramePort;

class DriveSelector : public ElidedComboBox {
    Q_OBJECT
public:
    DriveSelector(FramePort& frame, QWidget* parent = nullptr);

    // Reads the drive list again (an image file was added).
    void reload();
    // What an E01 image records about itself (format, case metadata) and what a rescue map
    // marks as not read; empty for other drives.
    static QString RowToolTip(CDiskDevice& drive);
    int rowOfDrive(const CDiskDevice* drive) const;
    CDiskDevice* driveAt(int row) const;

signals:
    // The rows were read again: the width they need may have changed.
    void rowsChanged();

protected:
    // 0x48B (select by index, then as on a change) and 0x48C (post 0x48B with the row of
    // the drive pointed to).
    void customEvent(QEvent* event) override;

private:
    void chosen(int row);

    FramePort& frame_;
    bool reloading_ = false;
};

} // namespace vantrel
