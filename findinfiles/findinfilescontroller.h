// FindInFilesController: the "Find in Files" command, the dialog it opens, and the opening of a
// result line of the pane at its place in the file.
#pragma once

#include "framework/commandtarget.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <unordered_map>

namespace pw {

class CFindInFilesDlg;
class CFindInFilesResults;
class EditorHost;

class FindInFilesController : public QObject, public CommandTarget
{
    Q_OBJECT
public:
    // showPane brings the results pane to the front.
    FindInFilesController(EditorHost &host, CFindInFilesResults *results,
                          std::function<void()> showPane, QObject *parent = nullptr);

    EditorHost &host() const { return m_host; }
    CFindInFilesResults *results() const { return m_results; }
    void showResults() const;
    CFindInFilesDlg *dialog() const;

    // Opens the dialog, or brings the open one to the front.
    void openDialog();
    // The text of every open text document with unsaved changes, by its full path.
    std::unordered_map<std::string, std::string> unsavedTexts() const;
    // Opens path (or activates its window) and puts the caret on the line (from 1) at the
    // column (bytes from the line start), once the text is there.
    void openResult(const QString &path, int line, unsigned column);

signals:
    // The dialog's window is gone; the search history it saved may have grown.
    void dialogDestroyed();

private:
    EditorHost &m_host;
    CFindInFilesResults *m_results;
    std::function<void()> m_showPane;
    QPointer<CFindInFilesDlg> m_dialog;
};

} // namespace pw
