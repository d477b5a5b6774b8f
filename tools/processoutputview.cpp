// CProcessOutputView and EditorOutputSink: captured output shown in the Tool Window or a document.
#include "tools/processoutputview.h"

#include <QApplication>
#include <algorithm>

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
    // A timer's turn per slice: the window paints and takes input between them.
    m_slices.setSingleShot(true);
    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, [this] { showPending(); });
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
    m_total = m_shownStart = m_shownEnd = 0;
    m_slices.stop();
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
    m_buffer.append(text);
    m_total += text.size();
    // Small output shows at once; the rest of a large batch follows slice by slice.
    showPending();
}

bool CProcessOutputView::isUpToDate() const
{
    return m_shownEnd == m_total && m_shownStart == m_total - m_buffer.size();
}

void CProcessOutputView::showPending()
{
    const qsizetype keptStart = m_total - m_buffer.size();
    setReadOnly(false);
    {
        QuietChanges quiet(this, QuietChanges::SeparateSteps);
        if (keptStart >= m_shownEnd) {
            // Nothing shown is kept any more: start again from what is.
            send(SCI_CLEARALL);
            m_shownStart = m_shownEnd = keptStart;
        } else if (keptStart > m_shownStart) {
            // Whole lines went from the front; count them in the component's own units.
            qsizetype units = std::min(keptStart - m_shownStart, SliceUnits);
            long end = send(SCI_POSITIONRELATIVECODEUNITS, 0, long(units));
            // A slice that would end inside a character takes the whole character.
            if (units < keptStart - m_shownStart && send(SCI_COUNTCODEUNITS, 0, end) != units)
                end = send(SCI_POSITIONRELATIVECODEUNITS, 0, long(++units));
            send(SCI_DELETERANGE, 0, end >= 0 ? end : send(SCI_GETLENGTH));
            m_shownStart += units;
        }
        if (m_shownStart >= keptStart && m_shownEnd < m_total) {
            const QStringView kept = m_buffer.text();
            qsizetype units = std::min(m_total - m_shownEnd, SliceUnits);
            // A slice never ends between the two halves of a character.
            if (m_shownEnd + units < m_total &&
                kept[m_shownEnd + units - 1 - keptStart].isHighSurrogate())
                --units;
            const QByteArray bytes = kept.mid(m_shownEnd - keptStart, units).toUtf8();
            reserveFor(this, m_allocated, bytes.size());
            sendText(SCI_APPENDTEXT, static_cast<unsigned long>(bytes.size()), bytes.constData());
            m_shownEnd += units;
        }
    }
    setReadOnly(true);
    send(SCI_GOTOPOS, send(SCI_GETLENGTH));
    if (!isUpToDate())
        m_slices.start();
}

void CProcessOutputView::onChildFinished(const CaptureEnd &)
{
    if (m_finished)
        m_finished();
}

EditorOutputSink::EditorOutputSink(CMFCScintilla *editor, std::function<void()> finished)
    : m_editor(editor), m_key(editor), m_finished(std::move(finished)),
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
