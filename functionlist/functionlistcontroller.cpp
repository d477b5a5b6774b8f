// FunctionListController: parse requests with their quiet times, names for Auto Complete, and
// jumps into the document that was parsed.
#include "functionlist/functionlistcontroller.h"

#include "editor/mfcscintilla.h"
#include "functionlist/functionlistpane.h"
#include "resources/commandids.h"

namespace pw {

FunctionListController::FunctionListController(EditorHost &host, CFunctionList *pane,
                                               QObject *parent)
    : QObject(parent), m_host(host), m_pane(pane)
{
    connect(m_pane, &CFunctionList::jumpToLine, this, &FunctionListController::jumpTo);
}

void FunctionListController::requestParse(CMFCScintilla *editor, const QString &key, int lexerId,
                                          Reason reason)
{
    int delayMs = CFunctionList::PaintedDelayMs;
    if (reason == Reason::Forced)
        delayMs = CFunctionList::ForcedDelayMs;
    else if (reason == Reason::Loaded)
        delayMs = CFunctionList::LoadDelayMs;
    m_editor = editor;
    m_pane->requestRefresh(editor, key, lexerId, reason == Reason::Forced, delayMs);
}

QStringList FunctionListController::names(const CMFCScintilla *editor) const
{
    return editor && editor == m_editor ? m_pane->names() : QStringList();
}

void FunctionListController::caretMoved(CMFCScintilla *editor, int line)
{
    if (editor == m_editor && isShown())
        m_pane->selectFunctionAt(line);
}

bool FunctionListController::isShown() const
{
    return m_host.isPaneShown(Cmd::PaneFunctionList);
}

void FunctionListController::jumpTo(int line)
{
    if (!m_editor)
        return;
    m_editor->gotoLineEnsureVisible(line, true);
    m_editor->setFocus(Qt::OtherFocusReason);
}

} // namespace pw
