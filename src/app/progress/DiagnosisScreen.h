#pragma once

// Screen 4, shown while the disk check runs: one child of 1012 x 610 pixels (centred in a
// larger screen, at the origin and shrunk in a smaller one) with the map of the area (one
// cell per block or group of blocks: fine, slow, unreadable, not read yet), the position,
// the read speed and the count of unreadable sectors.

#include "engine/diagnosis/DiskCheck.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace vantrel {

// What the screen shows, copied from the check while its worker waits.
struct DiagnosisPicture {
    QString target;
    std::vector<BlockStatus> cells; // the map, grouped down to at most the cells shown
    std::uint64_t position = 0;     // sectors read
    std::uint64_t length = 0;       // sectors of the area
    std::uint32_t sectorSize = 512;
    std::uint64_t bytesPerSecond = 0;
    std::uint64_t unreadableSectors = 0;
    std::uint64_t lastUnreadable = 0;
    std::uint64_t slowBlocks = 0;
};

// Groups a check's blocks into at most `cells` cells; a cell shows the worst block read
// (unreadable over slow over fine) and "not read" only while none of its blocks was read.
std::vector<BlockStatus> GroupBlocks(const std::vector<BlockStatus>& blocks, std::size_t cells);
DiagnosisPicture PictureOfCheck(const DiskCheck& check, std::size_t cells);

class DiagnosisView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 1012;
    static constexpr int kHeight = 610;
    static constexpr int kCellColumns = 120;
    static constexpr int kCellRows = 48;

    explicit DiagnosisView(QWidget* parent = nullptr);
    void showPicture(DiagnosisPicture picture);
    const DiagnosisPicture& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DiagnosisPicture picture_;
};

class DiagnosisScreen : public QWidget {
    Q_OBJECT
public:
    explicit DiagnosisScreen(QWidget* parent = nullptr);

    DiagnosisView* view() const { return view_; }
    // The item being checked (shown as the map's title).
    void setTarget(const QString& target);

protected:
    // 0x491: pointer = the DiskCheck.
    void customEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    DiagnosisView* view_;
    QString target_;
};

} // namespace vantrel
