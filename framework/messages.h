// Message boxes with the program's title, behind a hook so tests can read and answer them.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace pw {

enum class MessageIcon { Information, Exclamation, Question };

// Returns the button pressed. With a hook installed, the hook answers instead of a dialog. The box
// is captioned with the program's name unless a caption is given.
QMessageBox::StandardButton showMessage(QWidget *parent, MessageIcon icon, const QString &text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        const QString &caption = QString());
QMessageBox::StandardButton showMessage(QWidget *parent, MessageIcon icon, int stringId,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

using MessageHook = std::function<QMessageBox::StandardButton(
    MessageIcon icon, const QString &text, QMessageBox::StandardButtons buttons)>;
// Installs a hook and returns the previous one.
MessageHook setMessageHook(MessageHook hook);

// The string table's text as a QString.
QString resourceText(int stringId);

} // namespace pw
