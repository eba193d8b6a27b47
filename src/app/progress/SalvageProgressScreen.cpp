#include "app/progress/SalvageProgressScreen.h"

#include "app/progress/ScreenPictures.h"
#include "app/shell/UiRequestEvent.h"
#include "engine/salvage/SalvageJob.h"
#include "engine/tree/FileEntry.h"

#include <QPainter>

namespace vantrel {

namespace {

constexpr int kCurrentPicture = 170;
constexpr int kOverallPicture = 169;
constexpr int kRecoveredPicture = 168;
constexpr int kLogPicture = 157;
constexpr int kCountWidth = 220; // the "done / total" labels beside the bars
// A run of small files sends a few messages per file, each answered before the next comes;
// painting the screen after every one cost many times the copying itself.
constexpr int kPaintIntervalMs = 50;

QString CountText(std::uint64_t done, std::uint64_t total) {
    return QString::number(done) + QStringLiteral(" / ") + QString::number(total);
}

} // namespace

SalvageProgressScreen::SalvageProgressScreen(QWidget* parent)
    : QWidget(parent), current_(new BlinkLabel(this)), fileBar_(new ProgressBar(this)),
      fileLabel_(new BlinkLabel(this)), overallBar_(new ProgressBar(this)),
      overallLabel_(new BlinkLabel(this)), recovered_(new FileListView(this)),
      log_(new LogList(this)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    recovered_->fileModel()->setRowCap(32767);
    showOverall();
    paintTimer_.setSingleShot(true);
    paintTimer_.setInterval(kPaintIntervalMs);
    connect(&paintTimer_, &QTimer::timeout, this, &SalvageProgressScreen::releasePaint);
}

void SalvageProgressScreen::holdPaint() {
    if (paintHeld_ || !isVisible())
        return;
    paintHeld_ = true;
    setUpdatesEnabled(false);
    paintTimer_.start();
}

// Paints at once: a deferred paint could come after the next message has held the
// screen again, and the screen would never be painted while the run goes on.
void SalvageProgressScreen::releasePaint() {
    paintTimer_.stop();
    if (!paintHeld_)
        return;
    paintHeld_ = false;
    {
        QMutexLocker locker(&lock_);
        appendPending();
    }
    setUpdatesEnabled(true);
    repaint();
}

// The list lays all its rows out again after rows are added, so they are added once per
// paint: added file by file, a run of thousands of small files spent most of its time
// there. The entries live in the tree's nodes, which outlast the run's last message.
void SalvageProgressScreen::appendPending() {
    if (pending_.empty())
        return;
    // Rows keep copies of the entries: the worker goes on meanwhile.
    static_cast<void>(recovered_->fileModel()->appendEntries(pending_, 0));
    pending_.clear();
    recovered_->scrollToEnd();
}

void SalvageProgressScreen::showOverall() {
    overallLabel_->setText(CountText(done_, total_));
}

void SalvageProgressScreen::startRun(std::uint64_t total) {
    QMutexLocker locker(&lock_);
    current_->setText({});
    current_->setBlinking(false);
    fileSize_ = 0;
    fileBar_->setRange(0, 0);
    fileLabel_->setText({});
    total_ = total;
    done_ = 0;
    recoveredTaken_ = 0;
    pending_.clear();
    showOverall();
    overallBar_->setRange(0, total);
    recovered_->fileModel()->clear();
}

void SalvageProgressScreen::startFile(const QString& name, std::uint64_t size) {
    QMutexLocker locker(&lock_);
    current_->setText(name);
    fileSize_ = size;
    fileLabel_->setText(CountText(0, size));
    fileBar_->setRange(0, size);
}

void SalvageProgressScreen::fileProgress(std::uint64_t bytesDone) {
    QMutexLocker locker(&lock_);
    fileLabel_->setText(CountText(bytesDone, fileSize_));
    fileBar_->setPosition(bytesDone);
}

void SalvageProgressScreen::takeRecovered(const RecoveredList& recovered, std::size_t upTo,
                                          std::uint64_t filesDone) {
    QMutexLocker locker(&lock_);
    const std::vector<FileEntry*> fresh = recovered.Slice(recoveredTaken_, upTo);
    recoveredTaken_ += fresh.size();
    pending_.insert(pending_.end(), fresh.begin(), fresh.end());
    if (!paintHeld_)
        appendPending();
    done_ = filesDone;
    showOverall();
    overallBar_->setPosition(filesDone);
}

void SalvageProgressScreen::endRun(const SalvageSummary* summary) {
    QMutexLocker locker(&lock_);
    if (!summary)
        return;
    current_->setText(QStringLiteral("回収が終了しました (回収 %1、失敗 %2、スキップ %3)")
                          .arg(summary->ok + summary->cut)
                          .arg(summary->failed)
                          .arg(summary->skipped));
}

void SalvageProgressScreen::customEvent(QEvent* event) {
    UiRequestEvent* request = UiRequestEvent::Cast(event);
    if (!request) {
        QWidget::customEvent(event);
        return;
    }
    switch (request->message()) {
    case msg::kSalvageStart:
        releasePaint();
        startRun(request->value());
        break;
    case msg::kSalvageFileStart: {
        holdPaint();
        const auto* entry = request->pointerAs<const FileEntry>();
        startFile(request->text(), entry ? entry->size : 0);
        break;
    }
    case msg::kSalvageFileProgress:
        holdPaint();
        fileProgress(request->value());
        break;
    case msg::kSalvageRecovered:
        holdPaint();
        if (const auto* recovered = request->pointerAs<const RecoveredList>()) {
            const std::vector<std::int64_t> counts = request->integers();
            const std::size_t upTo = counts.empty() || counts[0] < 0
                                         ? recovered->Size()
                                         : static_cast<std::size_t>(counts[0]);
            takeRecovered(*recovered, upTo, request->value());
        }
        break;
    case msg::kSalvageEnd:
        endRun(request->pointerAs<const SalvageSummary>());
        releasePaint();
        break;
    default:
        break;
    }
    request->complete();
}

void SalvageProgressScreen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int W = width();
    const int H = height();
    const QSize p = PictureSize(kCurrentPicture);
    const QSize log = PictureSize(kLogPicture);
    const int w = p.width(), h = p.height();
    const int right = std::max(0, W - w - 48);
    const int barWidth = std::max(0, right - kCountWidth - 8);
    current_->setGeometry(w + 32, 16, right, h);
    fileBar_->setGeometry(w + 32, h + 32, barWidth, h);
    fileLabel_->setGeometry(w + 40 + barWidth, h + 32, kCountWidth, h);
    overallBar_->setGeometry(w + 32, 2 * h + 48, barWidth, h);
    overallLabel_->setGeometry(w + 40 + barWidth, 2 * h + 48, kCountWidth, h);
    const int listTop = 3 * h + 64;
    const int L = std::max(0, H - listTop - log.height() - 32);
    recovered_->setGeometry(w + 32, listTop, right, L);
    log_->setGeometry(16, listTop + L + 16, std::max(0, W - log.width() - 48), log.height());
}

void SalvageProgressScreen::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintScreenBackground(painter, *this);
    const int h = PictureSize(kCurrentPicture).height();
    const QSize log = PictureSize(kLogPicture);
    const int listTop = 3 * h + 64;
    const int L = std::max(0, height() - listTop - log.height() - 32);
    PaintPicture(painter, *this, kCurrentPicture, {16, 16});
    PaintPicture(painter, *this, kOverallPicture, {16, 2 * h + 48});
    PaintPicture(painter, *this, kRecoveredPicture, {16, listTop});
    PaintPicture(painter, *this, kLogPicture, {width() - log.width() - 16, listTop + L + 16});
}

} // namespace vantrel
