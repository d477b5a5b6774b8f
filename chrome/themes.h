// The five visual themes of the program and the semi-transparent dialog rule.
#pragma once

#include <QString>

class QWidget;

namespace pw {

// The theme ids are the string ids of their names: 720 "Windows 2000", 721 "Windows XP",
// 722 "Whidbey", 723 "Office XP", 724 "Office 2003".
constexpr int kThemeFirst = 720;
constexpr int kThemeLast = 724;
constexpr int kThemeDefault = 721;

// Whether id names one of the five themes.
bool isThemeId(int themeId);

// Gives the application the style and palette of a theme. Any other id applies the default
// theme 721; returns the id actually applied.
int applyTheme(int themeId);

// The theme applied last, or 0 while the application still has Qt's own look.
int currentTheme();

// The theme's name as the preferences list it; an unknown id names the default theme.
QString themeName(int themeId);

// The window opacity of a semi-transparent dialog: alpha = percent * 255 / 100 in integer
// arithmetic, as a fraction of 255. The percentage is clamped to the 25-100 that the preferences
// offer, so a hand-edited settings file cannot make a dialog vanish.
double dialogOpacity(int percent);

// Makes dialog semi-transparent with the given percentage, or fully opaque when transparent is
// false. Works before and after the dialog is shown.
void applyDialogTransparency(QWidget *dialog, bool transparent, int percent);

} // namespace pw
