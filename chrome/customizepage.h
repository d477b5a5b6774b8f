// What the customise dialog's pages share: the page base, the command lists and the page makers.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <QWidget>

class QListWidgetItem;
class QToolBar;

namespace pw {

class CommandBars;

// A page of the customise dialog. It refills itself when the command bars change, but not for
// its own changes, which go through apply().
class CustomizePage : public QWidget
{
public:
    CustomizePage(CommandBars *bars, QWidget *parent);
    virtual void refresh() = 0;

protected:
    // Runs a change and refreshes once afterwards.
    template <typename F> void apply(F &&change)
    {
        m_applying = true;
        change();
        m_applying = false;
        refresh();
    }

    CommandBars *m_bars;
    bool m_applying = false;
};

// The pages, one per file; parent is the dialog.
CustomizePage *makeToolbarsPage(CommandBars *bars, QWidget *parent);
CustomizePage *makeCommandsPage(CommandBars *bars, QWidget *parent);
CustomizePage *makeKeyboardPage(CommandBars *bars, QWidget *parent);
CustomizePage *makeMenusPage(CommandBars *bars, QWidget *parent);
CustomizePage *makeOptionsPage(CommandBars *bars, QWidget *parent);
CustomizePage *makePresentationPage(CommandBars *bars, QWidget *parent);

namespace customize {

// Item data that holds a command id (or a toolbar's object name).
constexpr int kIdRole = Qt::UserRole;

// The menu resources a user can meet, in the order the pages list them.
const QList<int> &menuBars();
QString menuBarName(int menuId);
// Entries made at run time stand for whatever the menu shows then; a button or key for them
// would mean nothing.
bool isRunTimeEntry(int id);
QString keysText(const QList<QKeySequence> &keys);
// Lists remember toolbars by object name: a toolbar may be deleted while its row still exists.
QToolBar *toolBarNamed(const CommandBars *bars, const QString &objectName);
// A list row for a command (with its icon) or, for 0, a separator.
QListWidgetItem *commandItem(const CommandBars *bars, int id);

} // namespace customize

} // namespace pw
