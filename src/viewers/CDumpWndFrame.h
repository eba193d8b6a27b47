#pragma once

// The dump window: menu 127 (text modes, go to address), the dialog bar 112 with the file
// size and the four paging buttons, and the dump view.

#include "viewers/core/EntryReader.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QLabel;
class QPushButton;

namespace vantrel {

class DumpView;

class CDumpWndFrame : public QMainWindow {
    Q_OBJECT
public:
    // maximumHeight: the tallest client area a window can have (0: the screens' height).
    CDumpWndFrame(std::unique_ptr<EntryReader> entry, QWidget* owner = nullptr,
                  int maximumHeight = 0);
    ~CDumpWndFrame() override;

    DumpView* View() const { return view_; }
    QAction* ModeAction(int command) const;
    QAction* GoToAction() const { return goTo_; }
    QPushButton* Button(int id) const;
    QLabel* SizeField() const { return sizeField_; }

    // Command 33017: asks for an address and moves there when the dialog ends with OK.
    void AskAddress();

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void BuildMenu();
    QWidget* BuildDialogBar();
    void SetMode(int command);

    std::unique_ptr<EntryReader> entry_;
    DumpView* view_ = nullptr;
    QAction* ascii_ = nullptr;
    QAction* shiftJis_ = nullptr;
    QAction* unicode_ = nullptr;
    QAction* goTo_ = nullptr;
    QLabel* sizeField_ = nullptr;
    QPushButton* first_ = nullptr;
    QPushButton* previous_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* last_ = nullptr;
};

} // namespace vantrel
