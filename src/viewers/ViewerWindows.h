#pragma once

// Opening the viewers from the file list. Only one viewer window (preview or dump) exists
// at a time: opening one destroys the other. The window reads the entry on the user
// interface thread and does not own it: whoever frees result entries calls
// CloseViewerWindow() first.

class QWidget;

namespace vantrel {

class FileEntry;

// The preview of entry in a window owned by owner's window (the file list's). With no
// entry nothing is opened and null is returned.
QWidget* OpenPreviewWindow(FileEntry* entry, QWidget* owner);

// The hexadecimal dump of entry. With no entry a message box says that no file was given
// ("ダンプ対象のファイルが指定されていません。") and null is returned.
QWidget* OpenDumpWindow(FileEntry* entry, QWidget* owner);

// Destroys the open viewer window, if any.
void CloseViewerWindow();

// The open viewer window, or null.
QWidget* OpenViewerWindow();

} // namespace vantrel
