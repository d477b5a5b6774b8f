// FunctionListController: the function list as text documents reach it, over the pane.
#pragma once

#include "editor/editorhost.h"

#include <QObject>
#include <QPointer>

namespace pw {

class CFunctionList;

// Keeps the editor whose text the pane lists, so names and jumps always belong to that document
// and never to whichever window happens to be active.
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
    void jumpTo(int line);

    EditorHost &m_host;
    CFunctionList *m_pane;
    QPointer<CMFCScintilla> m_editor;
};

} // namespace pw
