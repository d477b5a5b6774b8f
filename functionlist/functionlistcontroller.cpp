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
    connect(m_pane, &CFunctionList::listUpdated, this, &FunctionListController::listUpdated);
}

void FunctionListController::requestParse(CMFCScintilla *editor, const QString &key, int lexerId,
                                          Reason reason)
{
    int delayMs = CFunctionList::PaintedDelayMs;
    if (reason == Reason::Forced)
        delayMs = CFunctionList::ForcedDelayMs;
    else if (reason == Reason::Loaded)
        delayMs = CFunctionList::LoadDelayMs;
    // Closed documents leave empty entries behind; clear them out now and then.
    if (m_editors.size() > 64)
        m_editors.removeIf([](const auto &entry) { return entry.value().isNull(); });
    m_editors.insert(key, editor);
    m_pane->requestRefresh(editor, key, lexerId, reason == Reason::Forced, delayMs);
}

void FunctionListController::listUpdated()
{
    m_listedKey = m_pane->shownPath();
    m_listed = m_editors.value(m_listedKey);
}

bool FunctionListController::listsEditor(const CMFCScintilla *editor) const
{
    return editor && editor == m_listed && m_pane->shownPath() == m_listedKey;
}

QStringList FunctionListController::names(const CMFCScintilla *editor) const
{
    return listsEditor(editor) ? m_pane->names() : QStringList();
}

void FunctionListController::caretMoved(CMFCScintilla *editor, int line)
{
    if (listsEditor(editor) && isShown())
        m_pane->selectFunctionAt(line);
}

bool FunctionListController::isShown() const
{
    return m_host.isPaneShown(Cmd::PaneFunctionList);
}

void FunctionListController::jumpTo(int line)
{
    if (!listsEditor(m_listed))
        return;
    m_listed->gotoLineEnsureVisible(line, true);
    m_listed->setFocus(Qt::OtherFocusReason);
}

} // namespace pw
