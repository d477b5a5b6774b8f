// Dialog buttons and check boxes made the way every dialog of the program wants them.
#pragma once

#include <QString>

class QCheckBox;
class QPushButton;
class QWidget;

namespace pw {

// A button that Enter does not press unless it is the dialog's default; named for tests.
QPushButton *dialogButton(const QString &text, const char *name, QWidget *parent);
QCheckBox *dialogCheckBox(const QString &text, const char *name, bool checked, QWidget *parent);

} // namespace pw
