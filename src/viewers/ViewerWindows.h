#pragma once

// Opening the viewers from the file list. Only one viewer window (preview or dump) exists
// at a time: opening one destroys the other. The window does not own the entry: whoever
// frees result entries calls CloseViewerWindow() first. The preview reads a large entry on
// a thread of its own, which its destruction stops and waits for.

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

// Destroys the preview window while its thread is still reading: recovery reads entries
// without the scan lock, and one entry cannot be read by two threads at once.
void CloseViewerStillReading();

// The open viewer window, or null.
QWidget* OpenViewerWindow();

} // namespace vantrel
