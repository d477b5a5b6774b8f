// Message boxes with the program's title, behind a hook so tests can read and answer them.
#include "framework/messages.h"

#include "resources/resources.h"

#include <QApplication>

namespace pw {
namespace {
MessageHook &hook()
{
    static MessageHook current;
    return current;
}
} // namespace

QString resourceText(int stringId)
{
    return QString::fromUtf8(res::string(stringId));
}

MessageHook setMessageHook(MessageHook newHook)
{
    MessageHook previous = std::move(hook());
    hook() = std::move(newHook);
    return previous;
}

QMessageBox::StandardButton showMessage(QWidget *parent, MessageIcon icon, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        const QString &caption)
{
    if (hook())
        return hook()(icon, text, buttons);
    const QMessageBox::Icon boxIcon = icon == MessageIcon::Information ? QMessageBox::Information
                                      : icon == MessageIcon::Question  ? QMessageBox::Question
                                                                       : QMessageBox::Warning;
    QMessageBox box(boxIcon, caption.isEmpty() ? QStringLiteral("Penwright") : caption, text,
                    buttons,
                    parent ? parent : QApplication::activeWindow());
    return QMessageBox::StandardButton(box.exec());
}

QMessageBox::StandardButton showMessage(QWidget *parent, MessageIcon icon, int stringId,
                                        QMessageBox::StandardButtons buttons)
{
    return showMessage(parent, icon, resourceText(stringId), buttons);
}

} // namespace pw
