#include "app/browse/DriveRows.h"

#include "device/HandleDisk.h"
#include "device/MappedDisk.h"
#include "device/source/DiskSource.h"
#include "skin/ShellIconList.h"

#include <cstring>

namespace vantrel {
namespace {

// What an image file is called, or null for a device: its handle reports a hard disk.
const char16_t* ImageKindText(CDiskDevice& device) {
    CDiskDevice* image = &device;
    if (auto* mapped = dynamic_cast<CMappedDisk*>(&device))
        image = &mapped->Inner();
    if (EwfImageOf(*image))
        return u"E01 イメージファイル";
    if (auto* handle = dynamic_cast<CHandleDisk*>(image); handle && handle->IsImageFile())
        return u"イメージファイル";
    return nullptr;
}

int IconIndex(CDiskDevice& device) {
    ShellIconList& icons = ShellIconList::instance();
    if (ImageKindText(device))
        return ShellIconList::kImageFile;
    switch (device.GetDriveKind()) {
    case kDriveFloppy:
        return icons.iconForDevice(0, true, true);
    case kDriveCdRom:
        return icons.iconForDevice(5, true, false);
    case kDriveMagnetoOptical:
        return icons.iconForDevice(7, true, false);
    case kDriveRemovable:
        return icons.iconForDevice(0, true, false);
    default:
        return icons.iconForDevice(0, false, false);
    }
}

} // namespace

QString DriveRowText(CDiskDevice& device, bool detailMode) {
    const char16_t* image = ImageKindText(device);
    QString text = image
                       ? QString::fromUtf16(image) + QLatin1Char('(') +
                             QString::fromLocal8Bit(device.DeviceNode().c_str()) + QLatin1Char(')')
                       : QString::fromStdString(DeviceDescription(device));
    if (detailMode) {
        const std::string capacity = DeviceDetail(device);
        if (!capacity.empty())
            text += QLatin1Char(' ') + QString::fromStdString(capacity);
    }
    if (dynamic_cast<CMappedDisk*>(&device))
        text += QStringLiteral(" (マップ付き)");
    return text;
}

QIcon DriveRowIcon(CDiskDevice& device) {
    return ShellIconList::instance().icon(IconIndex(device));
}

QString UnopenedRowText(const UnopenedDrive& drive, bool detailMode) {
    QString text =
        QString::fromStdString(drive.description.empty() ? drive.node : drive.description);
    if (detailMode && !drive.detail.empty())
        text += QLatin1Char(' ') + QString::fromStdString(drive.detail);
    return text + QStringLiteral(" (開けません)");
}

QIcon UnopenedRowIcon() {
    ShellIconList& icons = ShellIconList::instance();
    return icons.icon(icons.iconForDevice(0, false, false));
}

std::vector<DriveRow> MakeDriveRows(DriveList& drives, const std::vector<UnopenedDrive>& unopened,
                                    bool detailMode) {
    std::vector<DriveRow> rows;
    for (auto& drive : drives)
        if (drive)
            rows.push_back({DriveRowIcon(*drive), DriveRowText(*drive, detailMode)});
    for (const UnopenedDrive& drive : unopened)
        rows.push_back({UnopenedRowIcon(), UnopenedRowText(drive, detailMode)});
    return rows;
}

QString UnopenedDriveText(const UnopenedDrive& drive, bool diskServiceTried,
                          const QString& diskServiceError) {
    const QString node = QString::fromStdString(drive.node);
    QString text = QStringLiteral("%1 を開けませんでした。").arg(node);
    if (drive.needsRoot) {
        text += QStringLiteral("\nディスクを直接読むには管理者の権限が必要です。");
        if (diskServiceTried && !diskServiceError.isEmpty())
            text += QStringLiteral(
                        "\nシステムのディスク管理サービス (UDisks2) でも開けませんでした: ") +
                    diskServiceError;
        text += QStringLiteral(
            "\n\n管理者の権限で Vantrel を起動し直してください。例:\n"
            "  sudo vantrel\n  pkexec env DISPLAY=$DISPLAY XAUTHORITY=$XAUTHORITY vantrel\n\n"
            "ディスクのイメージファイル (ddrescue などで作成) を「ファイル」メニューの"
            "「イメージファイルを開く」で開けば、権限なしで調べられます。");
    } else {
        text +=
            QStringLiteral("\n理由: ") + QString::fromLocal8Bit(std::strerror(drive.errnoValue));
        text += QStringLiteral("\nメディアが入っているか、ほかのプログラムが使っていないか確認して"
                               "ください。");
    }
    return text;
}

} // namespace vantrel
