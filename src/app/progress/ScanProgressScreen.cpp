#include "app/progress/ScanProgressScreen.h"

#include "app/progress/ScreenPictures.h"
#include "app/shell/UiRequestEvent.h"

#include <QPainter>

namespace vantrel {

namespace {

constexpr int kPicture1 = 161;
constexpr int kPicture2 = 162;
constexpr int kLogPicture = 157;

} // namespace

QString FoundCountText(std::uint64_t taken, std::uint64_t filteredOut) {
    return QString::number(taken) + QStringLiteral(" ( 対象外:") + QString::number(filteredOut) +
           QStringLiteral(" ) ");
}

ScanProgressScreen::ScanProgressScreen(QWidget* parent, SecondsClock clock)
    : QWidget(parent), status_(new BlinkLabel(this)), bar_(new ProgressBar(this)),
      foundLabel_(new BlinkLabel(this)), found_(new FileListView(this)), log_(new LogList(this)),
      estimate_(std::move(clock)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    found_->fileModel()->setRowCap(32767);
    showFoundCount();
}

std::uint64_t ScanProgressScreen::takenCount() const {
    QMutexLocker locker(&lock_);
    return taken_;
}

std::uint64_t ScanProgressScreen::filteredOutCount() const {
    QMutexLocker locker(&lock_);
    return filteredOut_;
}

void ScanProgressScreen::showFoundCount() {
    foundLabel_->setText(FoundCountText(taken_, filteredOut_));
}

void ScanProgressScreen::startRun(std::uint64_t total) {
    QMutexLocker locker(&lock_);
    taken_ = 0;
    filteredOut_ = 0;
    estimate_.Start(total);
    status_->setText(QStringLiteral("0 / ") + QString::number(total));
    status_->setShown(true);
    status_->setBlinking(false);
    bar_->setRange(0, total);
    showFoundCount();
    found_->fileModel()->clear();
}

void ScanProgressScreen::updatePosition(std::uint64_t position) {
    QMutexLocker locker(&lock_);
    estimate_.Update(position);
    status_->setText(QString::fromStdString(estimate_.ProgressText(position, detail_)));
    status_->setShown(true);
    status_->setBlinking(false);
    bar_->setPosition(position);
}

void ScanProgressScreen::showPhase(const QString& text) {
    status_->setText(text);
    status_->setShown(true);
    status_->setBlinking(true);
}

void ScanProgressScreen::takeFoundEntries(const ResultNode::FileList& entries) {
    QMutexLocker locker(&lock_);
    if (taken_ >= entries.size())
        return;
    // The worker waits while this runs, so the list cannot change underneath; the rows
    // keep copies, never the entries (duplicates are deleted at the end of the scan).
    filteredOut_ += found_->fileModel()->appendEntries(entries, static_cast<std::size_t>(taken_));
    taken_ = entries.size();
    showFoundCount();
    found_->scrollToEnd();
}

void ScanProgressScreen::customEvent(QEvent* event) {
    UiRequestEvent* request = UiRequestEvent::Cast(event);
    if (!request) {
        QWidget::customEvent(event);
        return;
    }
    switch (request->message()) {
    case msg::kProgressStart:
        startRun(request->value());
        break;
    case msg::kProgressPosition:
        updatePosition(request->value());
        break;
    case msg::kPhaseText:
        showPhase(request->text());
        break;
    case msg::kFoundFiles:
        if (const auto* entries = request->pointerAs<const ResultNode::FileList>())
            takeFoundEntries(*entries);
        break;
    default:
        break;
    }
    request->complete();
}

void ScanProgressScreen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int W = width();
    const int H = height();
    const QSize p1 = PictureSize(kPicture1);
    const QSize p2 = PictureSize(kPicture2);
    const QSize p3 = PictureSize(kLogPicture);
    const int w1 = p1.width(), h1 = p1.height();
    const int w2 = p2.width(), h2 = p2.height();
    const int w3 = p3.width(), h3 = p3.height();
    const int L = std::max(0, H - (2 * h1 + h2 + h3 + 96));
    bar_->setGeometry(w1 + 32, 16, std::max(0, W - w1 - 48), h1);
    status_->setGeometry(w1 + 32, h1 + 32, std::max(0, W - w2 - 48), h2);
    foundLabel_->setGeometry(w1 + 32, 2 * h1 + 48, std::max(0, W - w2 - 48), h2);
    found_->setGeometry(16, 2 * h1 + h2 + 64, std::max(0, W - 32), L);
    log_->setGeometry(16, 2 * h1 + h2 + L + 80, std::max(0, W - w3 - 48), h3);
}

void ScanProgressScreen::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintScreenBackground(painter, *this);
    const QSize p1 = PictureSize(kPicture1);
    const QSize p2 = PictureSize(kPicture2);
    const QSize p3 = PictureSize(kLogPicture);
    const int L = std::max(0, height() - (2 * p1.height() + p2.height() + p3.height() + 96));
    PaintPicture(painter, *this, kPicture1, {16, 16});
    PaintPicture(painter, *this, kPicture2, {16, 2 * p1.height() + 48});
    PaintPicture(painter, *this, kLogPicture,
                 {width() - p3.width() - 16, 2 * p1.height() + p2.height() + L + 80});
}

} // namespace vantrel
