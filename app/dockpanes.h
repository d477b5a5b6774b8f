// DockPanes: the main window's seven docking panes, their View-menu commands and saved layout.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QDockWidget;
class QMainWindow;
class QWidget;

namespace pw {

class CommandTarget;

class DockPanes : public QObject
{
    Q_OBJECT
public:
    DockPanes(QMainWindow *window, QString layoutFile);

    // Builds the panes in their default arrangement, then applies the saved layout over it.
    void create();
    // The View menu's pane toggles and "Show All Panes", handled by target.
    void registerCommands(CommandTarget &target);
    void saveLayout() const;

    // By pane id. The content widget is where each subsystem puts its pane.
    QDockWidget *pane(int paneId) const { return m_docks.value(paneId); }
    void setPaneWidget(int paneId, QWidget *widget);
    void showPane(int paneId);
    void togglePane(int paneId);
    // A tabbed pane behind another counts as shown: it is open, just not in front.
    bool isPaneShown(int paneId) const;

signals:
    void visibilityChanged();

private:
    void restoreLayout();

    QMainWindow *m_window;
    QString m_layoutFile;
    QHash<int, QDockWidget *> m_docks;
};

} // namespace pw
