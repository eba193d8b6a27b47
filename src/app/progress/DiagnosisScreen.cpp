#include "app/progress/DiagnosisScreen.h"

#include "app/progress/ScreenPictures.h"
#include "app/shell/UiRequestEvent.h"
#include "skin/Fonts.h"
#include "skin/ProgramLook.h"

#include <QPainter>
#include <algorithm>

namespace vantrel {

namespace {

QColor CellColour(BlockStatus status) {
    switch (status) {
    case BlockStatus::Fine:
        return look::kGreen;
    case BlockStatus::Slow:
        return look::kOrange;
    case BlockStatus::Unreadable:
        return QColor(204, 40, 40);
    case BlockStatus::Unread:
        break;
    }
    return QColor(222, 228, 235);
}

QString SpeedText(std::uint64_t bytesPerSecond) {
    return QString::number(static_cast<double>(bytesPerSecond) / 1048576.0, 'f', 1) +
           QStringLiteral(" MB/s");
}

} // namespace

std::vector<BlockStatus> GroupBlocks(const std::vector<BlockStatus>& blocks, std::size_t cells) {
    if (cells == 0 || blocks.size() <= cells)
        return blocks;
    std::vector<BlockStatus> grouped(cells, BlockStatus::Unread);
    const std::size_t count = blocks.size();
    for (std::size_t cell = 0; cell < cells; ++cell) {
        // Cell c covers blocks [c * n / cells, (c + 1) * n / cells).
        const std::size_t first = cell * count / cells;
        const std::size_t last = (cell + 1) * count / cells;
        BlockStatus worst = BlockStatus::Unread;
        for (std::size_t i = first; i < last; ++i)
            worst = std::max(worst, blocks[i]);
        grouped[cell] = worst;
    }
    return grouped;
}

DiagnosisPicture PictureOfCheck(const DiskCheck& check, std::size_t cells) {
    DiagnosisPicture picture;
    picture.cells = GroupBlocks(check.Blocks(), cells);
    picture.position = check.Position();
    picture.length = check.Length();
    picture.sectorSize = check.SectorSize();
    picture.bytesPerSecond = check.BytesPerSecond();
    picture.unreadableSectors = check.BadSectors().Size();
    if (!check.BadSectors().Lbas().empty())
        picture.lastUnreadable = check.BadSectors().Lbas().back();
    picture.slowBlocks = check.CountBlocks(BlockStatus::Slow);
    return picture;
}

DiagnosisView::DiagnosisView(QWidget* parent) : QWidget(parent) {
    setFont(InterfaceFont());
}

void DiagnosisView::showPicture(DiagnosisPicture picture) {
    picture_ = std::move(picture);
    update();
}

void DiagnosisView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(look::kPanelBorder, 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);

    painter.setPen(look::kNavy);
    painter.setFont(PGothicFont(24));
    painter.drawText(QRect(32, 20, width() - 64, 36), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("ディスクの診断"));
    painter.setFont(PGothicFont(14));
    painter.setPen(look::kText);
    painter.drawText(QRect(32, 58, width() - 64, 22), Qt::AlignLeft | Qt::AlignVCenter,
                     picture_.target);

    // The map: one cell per block (or group of blocks), row by row, the cells as large
    // as the area allows.
    const QPoint origin(32, 92);
    const int areaWidth = kCellColumns * 8;
    const int areaHeight = kCellRows * 8;
    const std::size_t shown = picture_.cells.size();
    int cell = 48;
    while (cell > 8) {
        const std::size_t columns = static_cast<std::size_t>(areaWidth / cell);
        if ((shown + columns - 1) / columns * static_cast<std::size_t>(cell) <=
            static_cast<std::size_t>(areaHeight))
            break;
        --cell;
    }
    const std::size_t columns = static_cast<std::size_t>(areaWidth / cell);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    for (std::size_t i = 0; i < shown; ++i) {
        const int column = static_cast<int>(i % columns);
        const int row = static_cast<int>(i / columns);
        painter.setBrush(CellColour(picture_.cells[i]));
        painter.drawRect(origin.x() + column * cell, origin.y() + row * cell, cell - 1, cell - 1);
    }

    // Figures and legend below the map.
    const int textTop = origin.y() + areaHeight + 16;
    painter.setPen(look::kText);
    painter.setFont(PGothicFont(14));
    const std::uint64_t percent = picture_.length ? picture_.position * 100 / picture_.length : 0;
    const QStringList lines = {
        QStringLiteral("位置: %1 / %2 セクタ (%3%)")
            .arg(picture_.position)
            .arg(picture_.length)
            .arg(percent),
        QStringLiteral("読み込み速度: ") + SpeedText(picture_.bytesPerSecond),
        QStringLiteral("読み込めないセクタ: %1 個").arg(picture_.unreadableSectors) +
            (picture_.unreadableSectors
                 ? QStringLiteral(" (最後に見つかったセクタ LBA:%1)").arg(picture_.lastUnreadable)
                 : QString()),
        QStringLiteral("低速なブロック: %1 個").arg(picture_.slowBlocks),
    };
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(QRect(32, textTop + i * 22, 560, 22), Qt::AlignLeft | Qt::AlignVCenter,
                         lines[i]);
    const struct {
        BlockStatus status;
        const char16_t* text;
    } legend[] = {{BlockStatus::Fine, u"正常"},
                  {BlockStatus::Slow, u"低速"},
                  {BlockStatus::Unreadable, u"読み込めない"},
                  {BlockStatus::Unread, u"未読"}};
    painter.setFont(PGothicFont(12));
    int x = 620;
    for (const auto& item : legend) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(CellColour(item.status));
        painter.drawRect(x, textTop + 6, 12, 12);
        painter.setPen(look::kText);
        const QString text = QString::fromUtf16(item.text);
        painter.drawText(QRect(x + 18, textTop, 100, 24), Qt::AlignLeft | Qt::AlignVCenter, text);
        x += 24 + painter.fontMetrics().horizontalAdvance(text) + 16;
    }
    painter.setPen(look::kSubText);
    painter.drawText(QRect(620, textTop + 30, width() - 652, 60),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     QStringLiteral("※読み込みのみを行い、ディスクには書き込みません。\n"
                                    "※読み込めないセクタは作業ログに記録されます。"));
}

DiagnosisScreen::DiagnosisScreen(QWidget* parent)
    : QWidget(parent), view_(new DiagnosisView(this)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DiagnosisScreen::setTarget(const QString& target) {
    target_ = target;
}

void DiagnosisScreen::customEvent(QEvent* event) {
    UiRequestEvent* request = UiRequestEvent::Cast(event, msg::kDiagnosisProgress);
    if (!request) {
        QWidget::customEvent(event);
        return;
    }
    if (const auto* check = request->pointerAs<const DiskCheck>()) {
        DiagnosisPicture picture =
            PictureOfCheck(*check, static_cast<std::size_t>(DiagnosisView::kCellColumns) *
                                       DiagnosisView::kCellRows);
        picture.target = target_;
        view_->showPicture(std::move(picture));
    }
    request->complete();
}

void DiagnosisScreen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = DiagnosisView::kWidth;
    const int h = DiagnosisView::kHeight;
    if (width() > w && height() > h)
        view_->setGeometry((width() - w) / 2, (height() - h) / 2, w, h);
    else
        view_->setGeometry(0, 0, std::min(width(), w), std::min(height(), h));
}

void DiagnosisScreen::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintScreenBackground(painter, *this);
}

} // namespace vantrel
