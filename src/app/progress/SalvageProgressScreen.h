#pragma once

// Screen 5, shown while files are recovered: the file in progress with its own bar, the
// whole run's bar, the files recovered so far and the log.

#include "app/models/FileListView.h"
#include "app/progress/BlinkLabel.h"
#include "app/progress/LogList.h"
#include "app/progress/ProgressBar.h"

#include <QMutex>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace vantrel {

class RecoveredList;
struct SalvageSummary;

class SalvageProgressScreen : public QWidget {
    Q_OBJECT
public:
    explicit SalvageProgressScreen(QWidget* parent = nullptr);

    // The handlers of 0x484, 0x482, 0x483, 0x485 and 0x488.
    void startRun(std::uint64_t total);
    void startFile(const QString& name, std::uint64_t size);
    void fileProgress(std::uint64_t bytesDone);
    // Appends the list's entries not yet shown, up to upTo (how many it held when posted).
    void takeRecovered(const RecoveredList& recovered, std::size_t upTo, std::uint64_t filesDone);
    void endRun(const SalvageSummary* summary);

    BlinkLabel* currentFileLabel() const { return current_; }
    BlinkLabel* fileLabel() const { return fileLabel_; }
    BlinkLabel* overallLabel() const { return overallLabel_; }
    ProgressBar* fileBar() const { return fileBar_; }
    ProgressBar* overallBar() const { return overallBar_; }
    FileListView* recoveredList() const { return recovered_; }
    LogList* logList() const { return log_; }
    // True while messages come faster than the screen paints (tests).
    bool paintHeld() const { return paintHeld_; }

protected:
    void customEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showOverall();
    void holdPaint();
    void releasePaint();
    void appendPending();

    mutable QMutex lock_;
    BlinkLabel* current_;
    ProgressBar* fileBar_;
    BlinkLabel* fileLabel_;
    ProgressBar* overallBar_;
    BlinkLabel* overallLabel_;
    FileListView* recovered_;
    LogList* log_;
    std::uint64_t fileSize_ = 0;
    std::uint64_t done_ = 0;
    std::uint64_t total_ = 0;
    std::size_t recoveredTaken_ = 0;
    std::vector<FileEntry*> pending_; // recovered, not yet in the list
    QTimer paintTimer_;
    bool paintHeld_ = false;
};

} // namespace vantrel
