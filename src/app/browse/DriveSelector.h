#pragma once

// The drive selector: one row per drive of the run's drive list, in its order, with the
// device's name (in detail mode also its capacity) and icon. Drives the system listed but
// the program could not open follow, so that the user learns why.

#include <QComboBox>

namespace vantrel {

class CDiskDevice;
class FramePort;

class DriveSelector : public QComboBox {
    Q_OBJECT
public:
    DriveSelector(FramePort& frame, QWidget* parent = nullptr);

    // Reads the drive list again (an image file was added).
    void reload();
    // The row text of a drive: its description, in detail mode a blank and the capacity.
    static QString RowText(CDiskDevice& drive, bool detail);
    // What an E01 image records about itself (format, case metadata) and what a rescue map
    // marks as not read; empty for other drives.
    static QString RowToolTip(CDiskDevice& drive);
    int rowOfDrive(const CDiskDevice* drive) const;
    CDiskDevice* driveAt(int row) const;

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
