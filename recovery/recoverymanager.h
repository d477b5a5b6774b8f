// RecoveryManager: snapshots of modified text documents while the program runs, and the offer to
// recover those a previous run left behind.
#pragma once

#include "editor/editorhost.h"
#include "recovery/engine/instancelock.h"
#include "recovery/engine/recoveryfile.h"

#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <map>
#include <memory>

class QTimer;

namespace pw {

class CRidereDoc;

// Each watched document gets a quiet-period timer, restarted by every change of its text; when it
// runs out, a modified document's text is copied from the component in one step and written to
// its recovery file on a worker. A document that is saved, brought back to its saved state,
// closed, or the program that ends normally leaves no file. The files of this run carry this
// run's instance lock, so another copy of the program leaves them alone while it lives.
class RecoveryManager : public QObject, public RecoveryService
{
    Q_OBJECT
public:
    // The quiet time after the last change before a snapshot, and the longer one for texts of
    // LargeTextBytes and more, whose copy costs more.
    static constexpr int QuietMs = 2000;
    static constexpr int LargeQuietMs = 30000;
    static constexpr long long LargeTextBytes = 256LL << 20;
    // What a snapshot is expected to take from the copy to the synced file, per millisecond,
    // before a document's first one has been timed.
    static constexpr long long WriteBytesPerMs = 100000;

    explicit RecoveryManager(EditorHost &host, QObject *parent = nullptr);
    ~RecoveryManager() override; // waits for the writes, then removes this run's files

    void watch(CRidereDoc *document) override;

    QString folder() const { return m_lock.folder(); }
    // The recovery file of document (empty when it is not watched).
    QString fileOf(const CRidereDoc *document) const;
    // Writes still running on the worker.
    int pendingWrites() const;
    // Lists the files of previous runs; when there are any, asks about them and carries out the
    // answers. Done once after start-up.
    void offerRecovery();
    // How long the last snapshot held the UI thread, in nanoseconds.
    qint64 lastUiStepNs() const { return m_lastUiStepNs; }
    // Scales the quiet periods (tests).
    static void setQuietScale(double scale);

signals:
    // A snapshot was written (ok) or failed.
    void snapshotWritten(const QString &file, bool ok);

private:
    struct Tracked;
    Tracked *trackedOf(const CRidereDoc *document) const;
    void changed(Tracked &tracked);
    void snapshot(int number);
    void written(int number, bool ok, const QString &error);
    void removeFile(Tracked &tracked);
    void forget(int number);
    CRidereDoc *recover(const recovery::Snapshot &snapshot);

    EditorHost &m_host;
    recovery::InstanceLock m_lock;
    QThreadPool m_pool;
    std::map<int, std::unique_ptr<Tracked>> m_tracked;
    int m_nextNumber = 1;
    bool m_failureNoted = false;
    qint64 m_lastUiStepNs = 0;
    static inline double s_quietScale = 1.0;
};

} // namespace pw
