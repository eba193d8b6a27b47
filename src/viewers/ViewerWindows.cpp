#include "viewers/ViewerWindows.h"

#include "engine/tree/FileEntry.h"
#include "viewers/CDumpWndFrame.h"
#include "viewers/CPreviewFrame.h"

#include <QMessageBox>
#include <QPointer>

namespace vantrel {

namespace {

QPointer<QWidget>& ViewerSlot() {
    static QPointer<QWidget> slot;
    return slot;
}

QWidget* OwnerWindow(QWidget* owner) {
    return owner != nullptr ? owner->window() : nullptr;
}

QWidget* Remember(QWidget* window) {
    window->show();
    ViewerSlot() = window;
    return window;
}

} // namespace

void CloseViewerWindow() {
    delete ViewerSlot().data();
    ViewerSlot() = nullptr;
}

void CloseViewerStillReading() {
    if (auto* preview = qobject_cast<CPreviewFrame*>(ViewerSlot().data());
        preview && preview->Loading())
        CloseViewerWindow();
}

QWidget* OpenViewerWindow() {
    return ViewerSlot().data();
}

QWidget* OpenPreviewWindow(FileEntry* entry, QWidget* owner) {
    CloseViewerWindow();
    if (entry == nullptr)
        return nullptr;
    return Remember(
        new CPreviewFrame(std::make_unique<FileEntryReader>(*entry), OwnerWindow(owner)));
}

QWidget* OpenDumpWindow(FileEntry* entry, QWidget* owner) {
    CloseViewerWindow();
    if (entry == nullptr) {
        auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("ダンプ"),
                                    QStringLiteral("ダンプ対象のファイルが指定されていません。"),
                                    QMessageBox::Ok, OwnerWindow(owner));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return nullptr;
    }
    return Remember(
        new CDumpWndFrame(std::make_unique<FileEntryReader>(*entry), OwnerWindow(owner)));
}

} // namespace vantrel
