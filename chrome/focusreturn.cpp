// FocusReturn: watches the main window's dialogs and reactivates the window when they close.
#include "chrome/focusreturn.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

namespace pw {

FocusReturn::FocusReturn(QWidget *window) : QObject(window), m_window(window)
{
    qApp->installEventFilter(this);
}

bool FocusReturn::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide)
        return false;
    auto *dialog = qobject_cast<QDialog *>(watched);
    if (!dialog || !m_window || dialog->window() != dialog || dialog->parentWidget() == nullptr ||
        dialog->parentWidget()->window() != m_window)
        return false;
    if (type == QEvent::Show) {
        if (QWidget *focus = QApplication::focusWidget(); focus && focus->window() == m_window)
            m_lastFocus = focus;
    } else {
        // After the hide has run its course, so the dialog no longer counts as a window.
        QTimer::singleShot(0, this, &FocusReturn::giveBack);
    }
    return false;
}

void FocusReturn::giveBack()
{
    if (!m_window || !m_window->isVisible())
        return;
    // Another of the window's dialogs still open keeps the keyboard.
    const QList<QDialog *> dialogs = m_window->findChildren<QDialog *>();
    for (const QDialog *dialog : dialogs)
        if (dialog->isVisible() && dialog->isWindow())
            return;
    if (QApplication::activeModalWidget())
        return;
    m_window->activateWindow();
    QWidget *target = m_lastFocus ? m_lastFocus.data() : m_window->focusWidget();
    if (target && target->isVisible())
        target->setFocus(Qt::ActiveWindowFocusReason);
}

} // namespace pw
