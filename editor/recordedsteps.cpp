// RecordedSteps: placeholders in the component's history, played from the editor's records.
#include "editor/recordedsteps.h"

#include "editor/mfcscintilla.h"
#include "editor/replaceedits.h"
#include "editor/textsearch/replacerecord.h"

namespace pw {

RecordedSteps::RecordedSteps(CMFCScintilla *editor) : m_editor(editor) {}

RecordedSteps::~RecordedSteps() = default;

bool RecordedSteps::available() const
{
    return m_groupDepth == 0 && m_editor->send(Sci::SCI_GETUNDOCOLLECTION) != 0;
}

void RecordedSteps::add(std::unique_ptr<search::ReplaceRecord> record)
{
    // The placeholder is a new action: whatever could be redone is gone.
    dropUndone();
    const int token = m_nextToken++;
    const bool wasModified = m_editor->send(Sci::SCI_GETMODIFY) != 0;
    // Never merged with its neighbours, so Undo and Redo reach it as a step of its own.
    m_editor->send(Sci::SCI_ADDUNDOACTION, ulong(token), 0);
    m_steps[token] = Step{std::move(record), false};
    // The component reports leaving the save point only for text it records; the view's
    // modified mark follows that report.
    if (!wasModified && m_editor->send(Sci::SCI_GETMODIFY) != 0)
        emit m_editor->SCN_SAVEPOINTLEFT();
}

bool RecordedSteps::begin()
{
    if (m_steps.empty() || m_watching)
        return false;
    m_watching = true;
    m_report.reset();
    m_maskBefore = m_editor->SendScintilla(Sci::SCI_GETMODEVENTMASK);
    if (!(m_maskBefore & Sci::SC_MOD_CONTAINER))
        m_editor->SendScintilla(Sci::SCI_SETMODEVENTMASK, m_maskBefore | Sci::SC_MOD_CONTAINER);
    return true;
}

void RecordedSteps::end(bool watching)
{
    if (!watching)
        return;
    m_editor->SendScintilla(Sci::SCI_SETMODEVENTMASK, m_maskBefore);
    m_watching = false;
    if (!m_report)
        return;
    const Report report = *m_report;
    m_report.reset();
    const auto step = m_steps.find(report.token);
    if (step == m_steps.end() || step->second.undone == report.undo)
        return;
    {
        CMFCScintilla::QuietChanges quiet(m_editor, CMFCScintilla::QuietChanges::SeparateSteps);
        const CMFCScintilla::UndoCollectionOff uncollected(m_editor);
        replayRecord(m_editor, *step->second.record, report.undo);
    }
    step->second.undone = report.undo;
    m_undone += report.undo ? 1 : -1;
}

void RecordedSteps::notified(int type, int token)
{
    if (m_watching && (type & Sci::SC_MOD_CONTAINER))
        m_report = Report{token, (type & Sci::SC_PERFORMED_UNDO) != 0};
}

void RecordedSteps::clear()
{
    m_steps.clear();
    m_undone = 0;
}

void RecordedSteps::contentChanged()
{
    // A read-only text answers that nothing can be redone, yet nothing it holds is gone.
    if (m_undone > 0 && !m_editor->isReadOnly() && m_editor->send(Sci::SCI_CANREDO) == 0)
        dropUndone();
}

void RecordedSteps::dropUndone()
{
    if (m_undone == 0)
        return;
    std::erase_if(m_steps, [](const auto &entry) { return entry.second.undone; });
    m_undone = 0;
}

std::size_t RecordedSteps::heldBytes() const
{
    std::size_t bytes = 0;
    for (const auto &entry : m_steps)
        bytes += entry.second.record->heldBytes();
    return bytes;
}

} // namespace pw
