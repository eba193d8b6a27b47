#pragma once

// The about box and the start-up splash: picture 131 across 400 x 250 pixels with
// "Ver." and the program's version at (335, 3). The about box closes on a click; the
// splash ignores clicks.

#include <QDialog>

namespace vantrel {

// The version of this build ("0.1").
QString ProgramVersion();

class AboutWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 250;

    enum class Role { About, Splash };
    explicit AboutWindow(Role role, QWidget* parent = nullptr);

    QString versionText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Role role_;
};

} // namespace vantrel
