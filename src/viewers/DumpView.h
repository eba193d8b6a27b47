#pragma once

// The dump's view: a yellow address band and header row, 16 bytes a line with the text
// column, painting only the lines in the exposed area. Only a window of the file is kept
// in memory; one-line moves scroll pixels instead of repainting.

#include "viewers/core/DumpWindow.h"

#include <QAbstractScrollArea>
#include <memory>

namespace vantrel {

class DumpView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // entry must outlive the view.
    DumpView(EntryReader& entry, int maximumHeight, QWidget* parent = nullptr);
    ~DumpView() override;

    bool CannotDump() const { return cannotDump_; }
    DumpTextMode TextMode() const { return textMode_; }
    void SetTextMode(DumpTextMode mode);
    std::uint64_t Top() const;
    int VisibleLines() const { return visibleLines_; }
    int HorizontalColumn() const { return hScroll_; }
    const DumpFileWindow* Window() const { return window_.get(); }

    // Navigation; every one ends in MoveTo.
    void LineUp();
    void LineDown();
    void PageUp();
    void PageDown();
    void First();
    void Last();
    void GoTo(std::uint64_t address);
    void MoveTo(std::uint64_t offset);

    static QString CannotDumpText();

signals:
    // A read of the file failed; the lines of that window show zeros.
    void readFailed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void VerticalAction(int action);
    void HorizontalChanged(int value);
    void UpdateVerticalBar();
    void ReportReadFailure();
    void PaintLine(class QPainter& painter, std::uint64_t offset, int row, bool& carry);

    EntryReader& entry_;
    std::uint64_t size_ = 0;
    std::unique_ptr<DumpFileWindow> window_;
    bool cannotDump_ = false;
    DumpTextMode textMode_ = DumpTextMode::shiftJis;
    int visibleLines_ = 1;
    DumpScrollRange range_;
    int hScroll_ = 0;
    bool settingBar_ = false;
};

} // namespace vantrel
