#include "app/browse/DriveSelector.h"

#include "app/browse/DriveRows.h"
#include "app/shell/BrowseScreenPort.h"
#include "app/shell/UiRequestEvent.h"
#include "device/MappedDisk.h"
#include "device/source/DiskSource.h"
#include "skin/Fonts.h"

#include <QAbstractItemView>

namespace vantrel {

namespace {

// Rows past the drive list stand for drives that could not be opened; their data is
// -(1 + index into the frame's unopened list).
constexpr int kDriveRole = Qt::UserRole + 1;

} // namespace

DriveSelector::DriveSelector(FramePort& frame, QWidget* parent)
    : ElidedComboBox(parent), frame_(frame) {
    setFont(InterfaceFont());
    setMaxVisibleItems(256 / 20);
    setIconSize(QSize(16, 16));
    reload();
    connect(this, &QComboBox::activated, this, &DriveSelector::chosen);
}

QString DriveSelector::RowToolTip(CDiskDevice& drive) {
    QStringList lines;
    for (const auto& [label, value] : EwfImageFacts(drive))
        lines.append(QString::fromStdString(label + ": " + value));
    if (const auto* mapped = dynamic_cast<const CMappedDisk*>(&drive)) {
        const std::uint64_t unread = mapped->UnreadSectorsIn(0, drive.LastLba() + 1);
        lines.append(QStringLiteral("マップファイル: ") +
                     QString::fromLocal8Bit(mapped->MapPath().c_str()));
        lines.append(QStringLiteral("読めなかったセクタ: %1 個 (%2 バイト)")
                         .arg(unread)
                         .arg(unread * drive.SectorSize()));
    }
    return lines.join(u'\n');
}

void DriveSelector::reload() {
    reloading_ = true;
    const int current = currentIndex();
    clear();
    DriveList& drives = frame_.drives();
    for (std::size_t i = 0; i < drives.size(); ++i) {
        addItem(DriveRowIcon(*drives[i]), DriveRowText(*drives[i], frame_.detailMode()),
                static_cast<int>(i));
        const QString tip = RowToolTip(*drives[i]);
        if (!tip.isEmpty())
            setItemData(count() - 1, tip, Qt::ToolTipRole);
    }
    const auto& unopened = frame_.unopenedDrives();
    for (std::size_t i = 0; i < unopened.size(); ++i)
        addItem(UnopenedRowIcon(), UnopenedRowText(unopened[i], frame_.detailMode()),
                -1 - static_cast<int>(i));
    if (current >= 0 && current < count())
        setCurrentIndex(current);
    // The list shows the whole names, whatever room the closed box has.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 24);
    reloading_ = false;
    updateToolTip();
    emit rowsChanged();
}

int DriveSelector::rowOfDrive(const CDiskDevice* drive) const {
    DriveList& drives = frame_.drives();
    for (std::size_t i = 0; i < drives.size(); ++i)
        if (drives[i].get() == drive)
            return static_cast<int>(i);
    return -1;
}

CDiskDevice* DriveSelector::driveAt(int row) const {
    DriveList& drives = frame_.drives();
    const int index = itemData(row).toInt();
    return row >= 0 && index >= 0 && static_cast<std::size_t>(index) < drives.size()
               ? drives[static_cast<std::size_t>(index)].get()
               : nullptr;
}

void DriveSelector::chosen(int row) {
    if (reloading_ || row < 0)
        return;
    const int index = itemData(row).toInt();
    if (index < 0) {
        // A drive the program could not open: the frame explains, and may open it.
        const int opened = frame_.openUnopenedDrive(static_cast<std::size_t>(-1 - index), window());
        if (opened < 0)
            return;
        reload();
        setCurrentIndex(opened);
        row = opened;
    }
    if (CDiskDevice* drive = driveAt(row))
        PostUiRequest(frame_.frameReceiver(), msg::kDriveSelected, 0, drive);
}

void DriveSelector::customEvent(QEvent* event) {
    UiRequestEvent* request = UiRequestEvent::Cast(event);
    if (!request) {
        ElidedComboBox::customEvent(event);
        return;
    }
    if (request->message() == msg::kSelectDriveIndex) {
        const auto row = static_cast<int>(request->value());
        if (row >= 0 && row < count() && driveAt(row)) {
            setCurrentIndex(row);
            chosen(row);
        }
    } else if (request->message() == msg::kSelectDrive) {
        const int row = rowOfDrive(request->pointerAs<CDiskDevice>());
        if (row >= 0) {
            // The selector only shows it again; the tree keeps what it has.
            setCurrentIndex(row);
        }
    }
    request->complete();
}

} // namespace vantrel
