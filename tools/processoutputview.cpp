// CProcessOutputView and EditorOutputSink: captured output shown in the Tool Window or a document.
#include "tools/processoutputview.h"

#include <QApplication>

namespace pw {

namespace {

// The component grows its buffers by a fraction when they are full, copying the whole text each
// time; growing by doubling keeps a long capture out of those copies.
void reserveFor(CMFCScintilla *editor, long &allocated, qsizetype more)
{
    const long needed = editor->send(Sci::SCI_GETLENGTH) + long(more) + 1;
    if (needed <= allocated)
        return;
    allocated = std::max<long>(std::max<long>(2 * allocated, needed), 1L << 20);
    editor->send(Sci::SCI_ALLOCATE, allocated);
}

} // namespace

CProcessOutputView::CProcessOutputView(QWidget *parent) : CMFCScintilla(parent), m_redirector(this)
{
    setObjectName(QStringLiteral("ProcessOutputView"));
    send(SCI_SETCODEPAGE, SC_CP_UTF8);
    // Output is never undone, and its history would hold every byte ever trimmed.
    send(SCI_SETUNDOCOLLECTION, 0);
    for (int margin = 0; margin < 5; ++margin)
        send(SCI_SETMARGINWIDTHN, margin, 0);
    const QByteArray face = QApplication::font().family().toUtf8();
    sendText(SCI_STYLESETFONT, STYLE_DEFAULT, face.constData());
    const int points = QApplication::font().pointSize();
    if (points > 0)
        send(SCI_STYLESETSIZE, STYLE_DEFAULT, points);
    send(SCI_STYLECLEARALL);
    setReadOnly(true);
}

CProcessOutputView::~CProcessOutputView() = default;

void CProcessOutputView::clearOutput()
{
    m_buffer.clear();
    setReadOnly(false);
    send(SCI_CLEARALL);
    setReadOnly(true);
}

bool CProcessOutputView::start(const ToolLaunch &launch)
{
    // The running tool's last output and its end come before the text is cleared.
    m_redirector.close();
    clearOutput();
    return m_redirector.open(launch);
}

void CProcessOutputView::writeStdOut(const QString &text)
{
    const BoundedTextBuffer::Change change = m_buffer.append(text);
    const QByteArray bytes = QStringView(text).right(change.appended).toUtf8();
    setReadOnly(false);
    {
        QuietChanges quiet(this, QuietChanges::SeparateSteps);
        if (change.removedFromFront > 0) {
            // Whole lines of what is shown go; count them in the component's own units.
            const long end = send(SCI_POSITIONRELATIVECODEUNITS, 0, long(change.removedFromFront));
            send(SCI_DELETERANGE, 0, end > 0 ? end : send(SCI_GETLENGTH));
        }
        reserveFor(this, m_allocated, bytes.size());
        sendText(SCI_APPENDTEXT, static_cast<unsigned long>(bytes.size()), bytes.constData());
    }
    setReadOnly(true);
    send(SCI_GOTOPOS, send(SCI_GETLENGTH));
}

void CProcessOutputView::onChildFinished(const CaptureEnd &)
{
    if (m_finished)
        m_finished();
}

EditorOutputSink::EditorOutputSink(CMFCScintilla *editor, std::function<void()> finished)
    : m_editor(editor), m_finished(std::move(finished)),
      m_redirector(this, ConsoleRedirector::Options::forDocument())
{}

EditorOutputSink::~EditorOutputSink() = default;

void EditorOutputSink::writeStdOut(const QString &text)
{
    if (!m_editor)
        return;
    const QByteArray bytes = m_editor->toEditorBytes(text);
    reserveFor(m_editor, m_allocated, bytes.size());
    CMFCScintilla::QuietChanges quiet(m_editor, CMFCScintilla::QuietChanges::SeparateSteps);
    m_editor->sendText(Sci::SCI_ADDTEXT, static_cast<unsigned long>(bytes.size()),
                       bytes.constData());
}

void EditorOutputSink::onChildFinished(const CaptureEnd &)
{
    if (m_finished)
        m_finished();
}

} // namespace pw
