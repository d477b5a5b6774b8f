// Output sinks of the external-tools benchmarks: the Tool Window's text model and an editor.
#pragma once

#include "editor/mfcscintilla.h"
#include "tools/engine/boundedtextbuffer.h"
#include "tools/engine/consoleredirector.h"
#include "tools/processoutputview.h"

#include <QByteArray>
#include <functional>
#include <memory>

namespace pw::bench {

// Records the end of a capture and when the last text arrived.
class TimedSink : public OutputSink
{
public:
    void onChildFinished(const CaptureEnd &end) override
    {
        finished = true;
        this->end = end;
        if (onEnd)
            onEnd();
    }
    void noteWrite(qsizetype units)
    {
        received += units;
        ++batches;
        if (onWrite)
            onWrite();
    }

    bool finished = false;
    CaptureEnd end;
    qint64 received = 0; // UTF-16 units delivered
    int batches = 0;
    std::function<void()> onWrite;
    std::function<void()> onEnd;
};

// Appends everything to one string.
class StringSink : public TimedSink
{
public:
    void writeStdOut(const QString &text) override
    {
        buffer += text;
        noteWrite(text.size());
    }
    QString buffer;
};

// What the Tool Window keeps: the newest 10 MB, trimmed by whole lines.
class PaneSink : public TimedSink
{
public:
    void writeStdOut(const QString &text) override
    {
        buffer.append(text);
        noteWrite(text.size());
    }
    BoundedTextBuffer buffer;
};

// A new document's editor, shown offscreen: each batch goes in at the caret with SCI_ADDTEXT,
// which moves the caret but not the view.
class EditorSink : public TimedSink
{
public:
    EditorSink() : editor(std::make_unique<CMFCScintilla>())
    {
        editor->send(Sci::SCI_SETCODEPAGE, Sci::SC_CP_UTF8);
        editor->resize(800, 600);
        editor->show();
    }
    void writeStdOut(const QString &text) override
    {
        const QByteArray utf8 = text.toUtf8();
        reserve(utf8.size());
        {
            CMFCScintilla::QuietChanges quiet(editor.get(),
                                              CMFCScintilla::QuietChanges::SeparateSteps);
            editor->sendText(Sci::SCI_ADDTEXT, utf8.size(), utf8.constData());
        }
        if (follow)
            editor->send(Sci::SCI_SCROLLCARET);
        noteWrite(text.size());
    }
    // The component grows its text and style buffers by about a sixth when they are full, and
    // each growth copies the whole text; doubling them instead keeps a long capture from
    // spending its time in copies.
    void reserve(qsizetype more)
    {
        const long needed = editor->send(Sci::SCI_GETLENGTH) + long(more) + 1;
        if (needed <= allocated)
            return;
        allocated = std::max<long>(std::max<long>(2 * allocated, needed), 4L << 20);
        editor->send(Sci::SCI_ALLOCATE, allocated);
    }
    QByteArray text() const
    {
        const long length = editor->send(Sci::SCI_GETLENGTH);
        const auto *data =
            reinterpret_cast<const char *>(editor->send(Sci::SCI_GETCHARACTERPOINTER));
        return QByteArray(data, length);
    }
    std::unique_ptr<CMFCScintilla> editor;
    long allocated = 0;
    bool follow = false; // keep the end in view, as the Tool Window does
};

// The same editor following the output: every repaint lays out lines it has never shown.
class FollowingEditorSink : public EditorSink
{
public:
    FollowingEditorSink() { follow = true; }
};

// The Tool Window's own view, shown offscreen: the buffer, the component and the repaints.
class ViewSink : public TimedSink
{
public:
    ViewSink()
    {
        view.resize(800, 300);
        view.show();
    }
    void writeStdOut(const QString &text) override
    {
        view.writeStdOut(text);
        noteWrite(text.size());
    }
    CProcessOutputView view;
};

} // namespace pw::bench
