// CProcessOutputView: the Tool Window's text, fed by a capture, and the editor sink of documents.
#pragma once

#include "editor/mfcscintilla.h"
#include "tools/engine/boundedtextbuffer.h"
#include "tools/engine/consoleredirector.h"

#include <QPointer>
#include <functional>

namespace pw {

// The Tool Window pane: a read-only text showing the newest output of the tool running there,
// at most BoundedTextBuffer::DefaultCapacity units, trimmed by whole lines from the front. Output
// arrives in the redirector's batches (a timer's worth, or a megabyte), so a flood costs one
// append and one repaint per batch rather than one per read. The end stays in view.
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
    // What the pane keeps; the widget shows exactly this.
    QStringView text() const { return m_buffer.text(); }

    // Told when a capture here ends.
    void setFinishedHandler(std::function<void()> handler) { m_finished = std::move(handler); }

    void writeStdOut(const QString &text) override;
    void onChildFinished(const CaptureEnd &end) override;

private:
    BoundedTextBuffer m_buffer;
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
    CMFCScintilla *editor() const { return m_editor; }

    void writeStdOut(const QString &text) override;
    void onChildFinished(const CaptureEnd &end) override;

private:
    QPointer<CMFCScintilla> m_editor;
    std::function<void()> m_finished;
    long m_allocated = 0;
    ConsoleRedirector m_redirector;
};

} // namespace pw
