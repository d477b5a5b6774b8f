// FocusReturn: gives the keyboard back to the main window when one of its dialogs closes.
#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace pw {

// A window manager normally activates the window a dialog came from once the dialog goes; with
// none (a bare X server, a kiosk session) the keyboard would stay with nobody, and the main
// window's keys (Ctrl+S) would do nothing until it is clicked. This puts it back explicitly.
class FocusReturn : public QObject
{
    Q_OBJECT
public:
    explicit FocusReturn(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void giveBack();

    QPointer<QWidget> m_window;
    // The widget that had the keyboard when a dialog opened.
    QPointer<QWidget> m_lastFocus;
};

} // namespace pw
