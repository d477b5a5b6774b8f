// Helpers shared by the command bars' source files and the customise pages; not for other users.
#pragma once

#include <QString>

class QWidget;

namespace pw::detail {

// Object names of the built-in toolbar and the prefix of the user's toolbars.
inline const QString kMainBarName = QStringLiteral("Toolbar");
inline const QString kUserBarPrefix = QStringLiteral("UserToolbar");

// The ids that stand for custom controls even before a factory for them is set.
bool isBuiltInControl(int id);

// A menu text without its mnemonic markup: "&&" shows one ampersand, a single "&" nothing.
QString plainText(const QString &text);

// Hidden on purpose, as opposed to not shown yet because its window is not.
bool explicitlyHidden(const QWidget *widget);

} // namespace pw::detail
