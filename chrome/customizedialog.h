// The customisation dialog of the command bars: toolbars, commands, keys, menus and looks.
#pragma once

#include <QDialog>

class QTabWidget;

namespace pw {

class CommandBars;

// Changes made on the pages take effect at once; the dialog only has a Close button. It deletes
// itself when it closes. Pages are found by their page number (CommandBars::Page), never by their
// tab position, so a page added later does not renumber the others.
class CustomizeDialog : public QDialog
{
    Q_OBJECT
public:
    CustomizeDialog(CommandBars *bars, QWidget *parent);
    ~CustomizeDialog() override;

    // Shows a page; an unknown number shows the first tab.
    void setCurrentPage(int page);
    // The number of the page shown.
    int currentPage() const;
    // The page with that number, or null.
    QWidget *page(int pageId) const;
    QTabWidget *tabWidget() const { return m_tabs; }

private:
    void addPage(int pageId, const QString &title, QWidget *page, int beforePageId);

    CommandBars *m_bars;
    QTabWidget *m_tabs;
};

} // namespace pw
