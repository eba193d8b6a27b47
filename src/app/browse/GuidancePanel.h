#pragma once

// The two guidance panels the list view shows instead of the file list: for a scan area
// not scanned yet, and for a disk or partition item. Rounded panels drawn by the program
// with a title (24 px), body lines (14 px) and notes (12 px).

#include <QStringList>
#include <QWidget>

namespace vantrel {

class GuidancePanel : public QWidget {
    Q_OBJECT
public:
    enum Kind { kUnscanned = 1, kDrive = 2 };

    explicit GuidancePanel(Kind kind, QWidget* parent = nullptr);

    const QString& title() const { return title_; }
    const QStringList& body() const { return body_; }
    const QStringList& notes() const { return notes_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
    QStringList body_;
    QStringList notes_;
};

} // namespace vantrel
