#pragma once

// Screen 3, shown while a scan runs: the position against the total with the phase text,
// the bar, the files found so far (through the file list's filter) with the count of
// those filtered out, and the log. In detail mode the position line adds the elapsed,
// expected and remaining times.

#include "app/models/FileListView.h"
#include "app/progress/BlinkLabel.h"
#include "app/progress/LogList.h"
#include "app/progress/ProgressBar.h"
#include "engine/progress/RemainingTime.h"

#include <QMutex>
#include <QWidget>
#include <cstdint>

namespace vantrel {

class ScanProgressScreen : public QWidget {
    Q_OBJECT
public:
    explicit ScanProgressScreen(QWidget* parent = nullptr,
                                SecondsClock clock = SystemSecondsClock());

    void setDetailMode(bool on) { detail_ = on; }

    // The handlers of 0x46E, 0x46F, 0x487 and 0x470.
    void startRun(std::uint64_t total);
    void updatePosition(std::uint64_t position);
    void showPhase(const QString& text);
    void takeFoundEntries(const ResultNode::FileList& entries);

    BlinkLabel* statusLabel() const { return status_; }
    BlinkLabel* foundLabel() const { return foundLabel_; }
    ProgressBar* progressBar() const { return bar_; }
    FileListView* foundList() const { return found_; }
    LogList* logList() const { return log_; }
    const RemainingTimeEstimate& estimate() const { return estimate_; }
    std::uint64_t takenCount() const;
    std::uint64_t filteredOutCount() const;

protected:
    void customEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showFoundCount();

    mutable QMutex lock_;
    BlinkLabel* status_;
    ProgressBar* bar_;
    BlinkLabel* foundLabel_;
    FileListView* found_;
    LogList* log_;
    RemainingTimeEstimate estimate_;
    std::uint64_t taken_ = 0;
    std::uint64_t filteredOut_ = 0;
    bool detail_ = false;
};

// The found-files label: "N ( 対象外:M ) ".
QString FoundCountText(std::uint64_t taken, std::uint64_t filteredOut);

} // namespace vantrel
