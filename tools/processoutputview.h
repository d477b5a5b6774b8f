// CProcessOutputView: the Tool Window's text, fed by a capture, and the editor sink of documents.
#pragma once

#include "editor/mfcscintilla.h"
#include "tools/engine/boundedtextbuffer.h"
#include "tools/engine/consoleredirector.h"

#include <QPointer>
#include <QTimer>
#include <functional>

namespace pw {

// The Tool Window pane: a read-only text showing the newest output of the tool running there,
// at most BoundedTextBuffer::DefaultCapacity units, trimmed by whole lines from the front. Output
// arrives in the redirector's batches (a timer's worth, or up to a pipe's worth under a flood)
// and is kept at once; the widget follows in slices of at most SliceUnits, one per turn of the
// event loop, so a flood never holds the window for more than a slice. When the widget falls a
// whole buffer behind it skips to what is kept. The end stays in view.
class CProcessOutputView : public CMFCScintilla, public OutputSink
{
    Q_OBJECT
public:
    explicit CProcessOutputView(QWidget *parent = nullptr);
    ~CProcessOutputView() override;

    // Stops whatever runs here, clears the text and starts the launch; false when it could not
    // start (the failure text is then shown).
    bool start(const ToolLaunch &launch);
    void stop() { m_redirector.close(); }
    bool isRunning() const { return m_redirector.isRunning(); }
    qint64 processId() const { return m_redirector.processId(); }
    void clearOutput();
    // What the pane keeps; once isUpToDate() the widget shows exactly this.
    QStringView text() const { return m_buffer.text(); }
    bool isUpToDate() const;

    // Told when a capture here ends.
    void setFinishedHandler(std::function<void()> handler) { m_finished = std::move(handler); }

    void writeStdOut(const QString &text) override;
    void onChildFinished(const CaptureEnd &end) override;

private:
    // About 8 ms of the component's work on a loaded machine for the worst output (two-byte
    // lines, where its line index costs the most: some 60 ms a megabyte).
    static constexpr qsizetype SliceUnits = 128 * 1024;

    void showPending();

    BoundedTextBuffer m_buffer;
    // Positions in all the text appended since the last clear: its end, and the part the widget
    // holds, [m_shownStart, m_shownEnd).
    qsizetype m_total = 0;
    qsizetype m_shownStart = 0;
    qsizetype m_shownEnd = 0;
    QTimer m_slices;
    std::function<void()> m_finished;
    long m_allocated = 0; // the component's buffer size asked for
    // Last: it goes first, ending its capture before the text it writes to.
    ConsoleRedirector m_redirector;
};

// A text document's editor as a capture's destination: each batch goes in at the caret. One per
// editor; it goes with the editor.
class EditorOutputSink : public OutputSink
{
public:
    EditorOutputSink(CMFCScintilla *editor, std::function<void()> finished);
    ~EditorOutputSink() override;

    ConsoleRedirector &redirector() { return m_redirector; }
    // The editor it was made for, to be compared only: it may be on its way out.
    const QObject *key() const { return m_key; }

    void writeStdOut(const QString &text) override;
    void onChildFinished(const CaptureEnd &end) override;

private:
    QPointer<CMFCScintilla> m_editor;
    const QObject *m_key;
    std::function<void()> m_finished;
    long m_allocated = 0;
    ConsoleRedirector m_redirector;
};

} // namespace pw
