// FunctionListController: the function list as text documents reach it, over the pane.
#pragma once

#include "editor/editorhost.h"

#include <QHash>
#include <QObject>
#include <QPointer>

namespace pw {

class CFunctionList;

// Knows which editor's text the pane lists, so names and jumps always belong to that document,
// never to one asked for since or to whichever window happens to be active.
class FunctionListController : public QObject, public FunctionListService
{
    Q_OBJECT
public:
    FunctionListController(EditorHost &host, CFunctionList *pane, QObject *parent);

    CFunctionList *pane() const { return m_pane; }

    void requestParse(CMFCScintilla *editor, const QString &key, int lexerId,
                      Reason reason) override;
    QStringList names(const CMFCScintilla *editor) const override;
    void caretMoved(CMFCScintilla *editor, int line) override;
    bool isShown() const override;

private:
    void listUpdated();
    void jumpTo(int line);
    bool listsEditor(const CMFCScintilla *editor) const;

    EditorHost &m_host;
    CFunctionList *m_pane;
    // The editor of each document asked for (by key), and the one the pane shows.
    QHash<QString, QPointer<CMFCScintilla>> m_editors;
    QPointer<CMFCScintilla> m_listed;
    QString m_listedKey;
};

} // namespace pw
