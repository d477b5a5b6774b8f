// RecoveryManager: the quiet-period timers, the worker's writes and the start-up offer.
#include "recovery/recoverymanager.h"

#include "editor/mfcscintilla.h"
#include "editor/rideredoc.h"
#include "framework/commandrouter.h"
#include "framework/document.h"
#include "framework/messages.h"
#include "recovery/recoverydialog.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "settings/appfolders.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>

namespace pw {

struct RecoveryManager::Tracked
{
    QPointer<CRidereDoc> document;
    QString file;
    QTimer *timer = nullptr;
    bool writing = false;
    bool changedWhileWriting = false; // snapshot again once the write ends
    bool removeWhenWritten = false;   // the document was saved or closed meanwhile
    QElapsedTimer writeClock;         // from the copy of the text to the end of the write
    qint64 lastWriteMs = -1;
};

RecoveryManager::RecoveryManager(EditorHost &host, QObject *parent)
    : QObject(parent), m_host(host), m_lock(AppFolders::recoveryFolder())
{
    // One writer keeps the disk work in order and out of the way of everything else.
    m_pool.setMaxThreadCount(1);
    QTimer::singleShot(0, this, &RecoveryManager::offerRecovery);
}

RecoveryManager::~RecoveryManager()
{
    m_pool.waitForDone();
    for (auto &[number, tracked] : m_tracked) {
        if (!tracked->file.isEmpty())
            QFile::remove(tracked->file);
    }
}

void RecoveryManager::setQuietScale(double scale)
{
    s_quietScale = scale;
}

RecoveryManager::Tracked *RecoveryManager::trackedOf(const CRidereDoc *document) const
{
    for (const auto &[number, tracked] : m_tracked) {
        if (tracked->document == document)
            return tracked.get();
    }
    return nullptr;
}

QString RecoveryManager::fileOf(const CRidereDoc *document) const
{
    const Tracked *tracked = trackedOf(document);
    return tracked ? tracked->file : QString();
}

int RecoveryManager::pendingWrites() const
{
    return int(std::count_if(m_tracked.begin(), m_tracked.end(),
                             [](const auto &item) { return item.second->writing; }));
}

void RecoveryManager::watch(CRidereDoc *document)
{
    CMFCScintilla *editor = document ? document->editor() : nullptr;
    if (!editor || !m_lock.isLocked() || trackedOf(document))
        return;
    const int number = m_nextNumber++;
    auto tracked = std::make_unique<Tracked>();
    tracked->document = document;
    tracked->file = m_lock.fileFor(number);
    tracked->timer = new QTimer(this);
    tracked->timer->setSingleShot(true);
    connect(tracked->timer, &QTimer::timeout, this, [this, number] { snapshot(number); });
    Tracked &t = *tracked;
    m_tracked.emplace(number, std::move(tracked));

    // Small texts report each insertion and deletion; big ones only the content update that
    // follows a change, so both restart the quiet period.
    connect(editor, &QsciScintillaBase::SCN_MODIFIED, t.timer, [this, &t](int, int type) {
        if (type & (Sci::SC_MOD_INSERTTEXT | Sci::SC_MOD_DELETETEXT))
            changed(t);
    });
    connect(editor, &QsciScintillaBase::SCN_UPDATEUI, t.timer, [this, &t](int updated) {
        if (updated & Sci::SC_UPDATE_CONTENT)
            changed(t);
    });
    // Saved, or undone back to the saved text: the disk has it all.
    connect(document, &CDocument::titleChanged, t.timer, [this, &t] {
        if (t.document && !t.document->isModified())
            removeFile(t);
    });
    connect(document, &QObject::destroyed, this, [this, number] { forget(number); });
}

void RecoveryManager::changed(Tracked &tracked)
{
    CRidereDoc *document = tracked.document;
    if (!document || !document->isModified())
        return;
    CMFCScintilla *editor = document->editor();
    const long long length = editor ? editor->send(Sci::SCI_GETLENGTH) : 0;
    int quiet = length >= LargeTextBytes ? LargeQuietMs : QuietMs;
    if (quiet == QuietMs) {
        // A big text takes the better part of a second to copy, check and sync; that time comes
        // out of the quiet period, so its file still exists about QuietMs after the last change.
        const qint64 expected =
            tracked.lastWriteMs >= 0 ? tracked.lastWriteMs : length / WriteBytesPerMs;
        quiet -= int(std::min<qint64>(expected, QuietMs / 2));
    }
    tracked.timer->start(int(quiet * s_quietScale));
}

void RecoveryManager::snapshot(int number)
{
    auto found = m_tracked.find(number);
    if (found == m_tracked.end())
        return;
    Tracked &tracked = *found->second;
    CRidereDoc *document = tracked.document;
    CMFCScintilla *editor = document ? document->editor() : nullptr;
    if (!editor || document->isLoading())
        return;
    if (!document->isModified()) {
        removeFile(tracked);
        return;
    }
    if (tracked.writing) {
        tracked.changedWhileWriting = true;
        return;
    }
    tracked.writeClock.start();
    QElapsedTimer step;
    step.start();
    recovery::Snapshot snapshot;
    recovery::SnapshotHeader &h = snapshot.header;
    h.path = document->pathName();
    h.title = document->title();
    h.encoding = document->encoding();
    h.markLength = document->markLength();
    h.lineEnding = document->lineEnding();
    h.caret = editor->send(Sci::SCI_GETCURRENTPOS);
    const enc::FileStamp &stamp = document->fileStamp();
    h.diskSize = stamp.exists ? stamp.size : -1;
    h.diskModifiedNs = stamp.exists ? stamp.modifiedNs : 0;
    h.snapshotMs = QDateTime::currentMSecsSinceEpoch();
    // The one step on the UI thread: a copy of the component's own buffer.
    const long length = editor->send(Sci::SCI_GETLENGTH);
    const auto *text =
        static_cast<const char *>(editor->SendScintillaPtrResult(Sci::SCI_GETCHARACTERPOINTER));
    snapshot.text = QByteArray(text ? text : "", text ? qsizetype(length) : 0);
    m_lastUiStepNs = step.nsecsElapsed();

    tracked.writing = true;
    tracked.changedWhileWriting = false;
    const QString file = tracked.file;
    m_pool.start([this, number, file, snapshot = std::move(snapshot)] {
        QString error;
        const bool ok = recovery::writeSnapshotFile(file, snapshot, &error);
        QMetaObject::invokeMethod(
            this, [this, number, ok, error] { written(number, ok, error); }, Qt::QueuedConnection);
    });
}

void RecoveryManager::written(int number, bool ok, const QString &error)
{
    auto found = m_tracked.find(number);
    if (found == m_tracked.end())
        return;
    Tracked &tracked = *found->second;
    tracked.writing = false;
    if (ok)
        tracked.lastWriteMs = tracked.writeClock.elapsed();
    emit snapshotWritten(tracked.file, ok);
    if (ok) {
        m_failureNoted = false;
    } else if (!m_failureNoted) {
        // Once until a write works again: a full disk must not flood the user.
        m_failureNoted = true;
        m_host.setStatusText(StatusPane::Message,
                             resourceText(Str::RecoveryWriteFailed).arg(error));
    }
    if (tracked.removeWhenWritten) {
        tracked.removeWhenWritten = false;
        QFile::remove(tracked.file);
    }
    if (!tracked.document) {
        m_tracked.erase(found);
        return;
    }
    if (tracked.changedWhileWriting)
        changed(tracked);
}

void RecoveryManager::removeFile(Tracked &tracked)
{
    tracked.timer->stop();
    if (tracked.writing)
        tracked.removeWhenWritten = true;
    else
        QFile::remove(tracked.file);
}

void RecoveryManager::forget(int number)
{
    auto found = m_tracked.find(number);
    if (found == m_tracked.end())
        return;
    Tracked &tracked = *found->second;
    delete tracked.timer;
    tracked.timer = nullptr;
    if (tracked.writing) {
        tracked.removeWhenWritten = true; // the entry goes when the write ends
        return;
    }
    QFile::remove(tracked.file);
    m_tracked.erase(found);
}

void RecoveryManager::offerRecovery()
{
    QStringList skip;
    for (const QString &id : recovery::InstanceLock::liveInstances(folder()))
        skip << recovery::filePrefix(id);
    const QList<recovery::Entry> entries = recovery::listEntries(folder(), skip);
    if (entries.isEmpty())
        return;
    CRecoveryDialog dialog(entries, m_host.window());
    if (dialog.run() != QDialog::Accepted)
        return;
    for (int row = 0; row < entries.size(); ++row) {
        const QString &file = entries.at(row).file;
        switch (dialog.choice(row)) {
        case CRecoveryDialog::Recover:
            if (std::optional<recovery::Snapshot> snapshot = recovery::readSnapshot(file)) {
                if (recover(*snapshot))
                    QFile::remove(file);
            }
            break;
        case CRecoveryDialog::Discard:
            QFile::remove(file);
            break;
        case CRecoveryDialog::Later:
            break;
        }
    }
}

CRidereDoc *RecoveryManager::recover(const recovery::Snapshot &snapshot)
{
    const recovery::SnapshotHeader &h = snapshot.header;
    CRidereDoc *document = nullptr;
    if (!h.path.isEmpty() && QFileInfo::exists(h.path)) {
        document = qobject_cast<CRidereDoc *>(
            m_host.openDocument(h.path, OpenRequest{OpenText, h.encoding, h.markLength, false}));
        // Already open (reopened at start-up): the open routine brought its window forward.
        CMDIChildFrame *active = m_host.activeFrame();
        if (!document && active && QFileInfo(active->document()->pathName()) == QFileInfo(h.path))
            document = qobject_cast<CRidereDoc *>(active->document());
    } else if (m_host.router() && m_host.router()->execute(Cmd::FileNew)) {
        CMDIChildFrame *frame = m_host.activeFrame();
        document = frame ? qobject_cast<CRidereDoc *>(frame->document()) : nullptr;
        if (document && !h.path.isEmpty())
            document->setPathName(h.path, false); // saving puts the file back where it was
        else if (document && !h.title.isEmpty())
            document->setTitle(h.title);
    }
    if (!document)
        return nullptr;
    const QByteArray text = snapshot.text;
    const recovery::SnapshotHeader header = h;
    const QPointer<CRidereDoc> target(document);
    const auto apply = [target, text, header] {
        CMFCScintilla *editor = target ? target->editor() : nullptr;
        if (!editor)
            return;
        // The work comes back with its lines whole, cut or not as the file was read.
        target->keepLinesWhole();
        if (target->encoding() != header.encoding || target->markLength() != header.markLength)
            target->setEncoding(header.encoding, header.markLength);
        target->setLineEnding(header.lineEnding);
        const bool readOnly = editor->isReadOnly();
        editor->setReadOnly(false);
        {
            CMFCScintilla::QuietChanges quiet(editor);
            editor->send(Sci::SCI_CLEARALL);
            editor->sendText(Sci::SCI_APPENDTEXT, static_cast<unsigned long>(text.size()),
                             text.constData());
        }
        editor->setReadOnly(readOnly);
        editor->send(Sci::SCI_GOTOPOS, static_cast<unsigned long>(std::min<std::int64_t>(
                                           header.caret, editor->send(Sci::SCI_GETLENGTH))));
        target->setModifiedFlag(true);
    };
    if (document->isLoading()) {
        auto *once = new QObject(document);
        connect(document, &CRidereDoc::loadFinished, once, [once, apply] {
            apply();
            once->deleteLater();
        });
    } else {
        apply();
    }
    return document;
}

} // namespace pw
