// Recovery in a running program: snapshots after the quiet period, gone when saved or discarded,
// and a restart that offers a previous run's files and brings the text back.
#include "app/mainframehost.h"
#include "editor/encoding/docencoding.h"
#include "editor/rideredoc.h"
#include "editor/textload.h"
#include "recovery/engine/instancelock.h"
#include "recovery/engine/recoveryfile.h"
#include "recovery/recoverydialog.h"
#include "recovery/recoverymanager.h"
#include "resources/commandids.h"
#include "chrome/statuspanes.h"
#include "tests/support/appfixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QTableWidget>
#include <QThread>

using namespace pw;
using pw::test::AppFixture;

namespace {

class RecoveryTest : public AppFixture
{
protected:
    void SetUp() override
    {
        // A quiet period of 1.5 s keeps the tests short and still far from the scheduler's
        // noise.
        RecoveryManager::setQuietScale(0.75);
        AppFixture::SetUp();
    }
    void TearDown() override
    {
        AppFixture::TearDown();
        CRecoveryDialog::setShowHook({});
        RecoveryManager::setQuietScale(1.0);
    }
    RecoveryManager *manager() const
    {
        return dynamic_cast<RecoveryManager *>(m_app->host()->recovery());
    }
    QString folder() const { return m_dir.filePath(QStringLiteral("Recovery")); }

    // Runs the event loop until done() holds or ms pass.
    static bool waitFor(const std::function<bool()> &done, int ms = 10000)
    {
        QDeadlineTimer deadline(ms);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
        return true;
    }
    static void spin(int ms)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    static void type(CRidereDoc *doc, const QByteArray &text)
    {
        doc->editor()->send(Sci::SCI_DOCUMENTEND);
        doc->editor()->sendText(Sci::SCI_ADDTEXT, static_cast<unsigned long>(text.size()),
                                text.constData());
    }
    QString snapshotWhenWritten(CRidereDoc *doc)
    {
        const QString file = manager()->fileOf(doc);
        EXPECT_TRUE(waitFor([&] { return QFile::exists(file) && manager()->pendingWrites() == 0; }))
            << file.toStdString();
        return file;
    }
};

TEST_F(RecoveryTest, SnapshotFollowsTheQuietPeriodAndGoesWhenSavedOrDiscarded)
{
    ASSERT_TRUE(manager());
    const QString path = writeFile(QStringLiteral("a.txt"), "hello\n");
    CRidereDoc *doc = open(path);
    ASSERT_TRUE(doc);
    const QString file = manager()->fileOf(doc);
    ASSERT_FALSE(file.isEmpty());

    // Each change restarts the quiet period: typing on keeps the snapshot away.
    type(doc, "one ");
    spin(600);
    type(doc, "two \xc3\xa9");
    spin(600);
    EXPECT_FALSE(QFile::exists(file));
    snapshotWhenWritten(doc);
    std::optional<recovery::Snapshot> snap = recovery::readSnapshot(file);
    ASSERT_TRUE(snap);
    EXPECT_EQ(snap->text, "hello\none two \xc3\xa9");
    EXPECT_EQ(snap->header.path, path);
    EXPECT_EQ(snap->header.caret, doc->editor()->send(Sci::SCI_GETCURRENTPOS));
    EXPECT_EQ(snap->header.encoding, doc->encoding());
    EXPECT_EQ(snap->header.lineEnding, doc->lineEnding());
    EXPECT_EQ(snap->header.diskSize, 6);
    EXPECT_FALSE(recovery::diskFileChanged(snap->header));

    // Saved: the disk has it all.
    ASSERT_TRUE(run(Cmd::FileSave));
    EXPECT_TRUE(waitFor([&] { return !QFile::exists(file); }));
    const QByteArray saved = readFile(path);

    // Typed again, then closed with No to the save question.
    type(doc, "\nthree");
    snapshotWhenWritten(doc);
    m_answer = QMessageBox::No;
    doc->frame()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(waitFor([&] { return !QFile::exists(file); }));
    EXPECT_EQ(readFile(path), saved);
}

TEST_F(RecoveryTest, FailedSnapshotsNoteOnceInTheStatusBarAndNeverAsk)
{
    CRidereDoc *doc = open(writeFile(QStringLiteral("e.txt"), "e\n"));
    ASSERT_TRUE(doc);
    const QString file = manager()->fileOf(doc);
    // A folder where the file should go makes every write fail, as a full disk would.
    ASSERT_TRUE(QDir().mkpath(file + QStringLiteral("/blocked")));
    int failures = 0;
    QObject::connect(manager(), &RecoveryManager::snapshotWritten, manager(),
                     [&failures](const QString &, bool ok) { failures += ok ? 0 : 1; });
    const auto status = [this] { return frame()->statusPanes()->text(StatusPane::Message); };

    type(doc, "x");
    ASSERT_TRUE(waitFor([&] { return failures == 1; }));
    EXPECT_TRUE(status().startsWith(QStringLiteral("Unsaved changes could not be kept")));
    frame()->statusPanes()->setText(StatusPane::Message, QStringLiteral("Ready"));
    type(doc, "y");
    ASSERT_TRUE(waitFor([&] { return failures == 2; }));
    EXPECT_EQ(status(), QStringLiteral("Ready"));
    EXPECT_TRUE(m_messages.isEmpty());
    // No temporary file is left behind.
    EXPECT_EQ(QDir(folder()).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden).size(), 0);

    // Room again: the next change is kept.
    ASSERT_TRUE(QDir(file).removeRecursively());
    type(doc, "z");
    snapshotWhenWritten(doc);
    std::optional<recovery::Snapshot> snap = recovery::readSnapshot(file);
    ASSERT_TRUE(snap);
    EXPECT_EQ(snap->text, "e\nxyz");
}

TEST_F(RecoveryTest, RestartOffersAPreviousRunsFilesAndRecoversThem)
{
    const QString path = writeFile(QStringLiteral("b.txt"), "disk text\n");
    CRidereDoc *doc = open(path);
    ASSERT_TRUE(doc);
    type(doc, "typed\xc3\xa9");
    doc->editor()->send(Sci::SCI_GOTOPOS, 4);
    const QByteArray typed = editorText(doc);
    const QString own = snapshotWhenWritten(doc);

    // What a run killed before its end leaves: its files, without a living lock. Copies of this
    // run's snapshot stand in for them, with a damaged file and a never-saved Unicode document.
    const QString dead = recovery::filePrefix(QStringLiteral("00000000dead"));
    const QDir dir(folder());
    ASSERT_TRUE(QFile::copy(own, dir.filePath(dead + QStringLiteral("1.pwrec"))));
    ASSERT_TRUE(QFile::copy(own, dir.filePath(dead + QStringLiteral("4.pwrec"))));
    writeFile(QStringLiteral("Recovery/") + dead + QStringLiteral("2.pwrec"), "PWRECV01 garbage");
    recovery::Snapshot untitled;
    untitled.header.title = QStringLiteral("Untitled7");
    untitled.header.encoding = 1;
    untitled.header.markLength = 2;
    untitled.header.lineEnding = 0;
    untitled.header.caret = 3;
    untitled.text = "\xe6\x97\xa5 x\r\ny";
    ASSERT_TRUE(recovery::writeFileAtomically(dir.filePath(dead + QStringLiteral("3.pwrec")),
                                              recovery::encodeSnapshot(untitled)));
    // A file that is not open, changed on disk since its snapshot, and one that is gone.
    const QString other = writeFile(QStringLiteral("c.txt"), "c on disk, changed later\n");
    recovery::Snapshot changed;
    changed.header.path = other;
    changed.header.encoding = 0;
    changed.header.markLength = 3;
    changed.header.diskSize = 5;
    changed.header.caret = 2;
    changed.text = "c recovered \xc3\xa9\n";
    ASSERT_TRUE(recovery::writeSnapshotFile(dir.filePath(dead + QStringLiteral("5.pwrec")), changed));
    recovery::Snapshot gone = changed;
    gone.header.path = m_dir.filePath(QStringLiteral("gone/d.txt"));
    gone.text = "d was never on this disk";
    ASSERT_TRUE(recovery::writeSnapshotFile(dir.filePath(dead + QStringLiteral("6.pwrec")), gone));
    // Another copy of the program still runs: its file is not ours to offer.
    recovery::InstanceLock live(folder());
    const QString liveFile = live.fileFor(1);
    ASSERT_TRUE(QFile::copy(own, liveFile));

    m_answer = QMessageBox::No;
    ASSERT_TRUE(closeApp());
    EXPECT_FALSE(QFile::exists(own)); // a normal end leaves nothing of its own

    QList<recovery::Entry> offered;
    QStringList diskStates;
    CRecoveryDialog::setShowHook([&offered, &diskStates](CRecoveryDialog &dialog) {
        offered = dialog.entries();
        for (int row = 0; row < offered.size(); ++row)
            diskStates << dialog.table()->item(row, 2)->text();
        dialog.setChoice(0, CRecoveryDialog::Recover);
        dialog.setChoice(1, CRecoveryDialog::Discard);
        dialog.setChoice(2, CRecoveryDialog::Recover);
        dialog.setChoice(3, CRecoveryDialog::Later);
        // 4 and 5 keep the choice the dialog starts with: Recover.
        return int(QDialog::Accepted);
    });
    startApp();
    ASSERT_TRUE(waitFor([&] { return !offered.isEmpty(); }));
    ASSERT_EQ(offered.size(), 6);
    EXPECT_EQ(diskStates, (QStringList{"Unchanged", "Damaged recovery file", "Never saved",
                                       "Unchanged", "Changed since", "Changed since"}));
    EXPECT_EQ(CRecoveryDialog::nameOf(offered[0]), path);
    EXPECT_TRUE(offered[1].damaged);
    EXPECT_EQ(CRecoveryDialog::nameOf(offered[2]), QStringLiteral("Untitled7"));

    CDocument *reopened = nullptr;
    ASSERT_TRUE(waitFor([&] {
        reopened = frame()->workspace().isAlreadyOpen(path);
        return reopened && !qobject_cast<CRidereDoc *>(reopened)->isLoading() &&
               reopened->isModified();
    }));
    auto *recovered = qobject_cast<CRidereDoc *>(reopened);
    EXPECT_EQ(editorText(recovered), typed);
    EXPECT_EQ(recovered->editor()->send(Sci::SCI_GETCURRENTPOS), 4);
    EXPECT_EQ(readFile(path), "disk text\n"); // nothing saved behind the user's back

    CRidereDoc *fresh = nullptr;
    CRidereDoc *otherDoc = nullptr;
    CRidereDoc *goneDoc = nullptr;
    ASSERT_TRUE(waitFor([&] {
        for (CMDIChildFrame *f : frame()->workspace().documentFrames()) {
            auto *d = qobject_cast<CRidereDoc *>(f->document());
            if (d && d->title() == QStringLiteral("Untitled7"))
                fresh = d;
            if (d && d->pathName() == other && !d->isLoading() && d->isModified())
                otherDoc = d;
            if (d && d->pathName() == gone.header.path)
                goneDoc = d;
        }
        return fresh && otherDoc && goneDoc;
    }));
    EXPECT_EQ(editorText(otherDoc), changed.text);
    EXPECT_EQ(otherDoc->encoding(), 0);
    EXPECT_EQ(otherDoc->markLength(), 3);
    EXPECT_EQ(otherDoc->editor()->send(Sci::SCI_GETCURRENTPOS), 2);
    EXPECT_EQ(readFile(other), "c on disk, changed later\n");
    EXPECT_TRUE(goneDoc->isModified());
    EXPECT_EQ(editorText(goneDoc), gone.text);
    EXPECT_TRUE(fresh->isModified());
    EXPECT_TRUE(fresh->pathName().isEmpty());
    EXPECT_EQ(editorText(fresh), untitled.text);
    EXPECT_EQ(fresh->encoding(), 1);
    EXPECT_EQ(fresh->lineEnding(), 0);
    EXPECT_EQ(fresh->editor()->send(Sci::SCI_GETCURRENTPOS), 3);

    // Recovered and discarded files are gone, the one for later stays, the living run's too.
    QStringList left = dir.entryList({QStringLiteral("*.pwrec")}, QDir::Files);
    QStringList expected{dead + QStringLiteral("4.pwrec"), QFileInfo(liveFile).fileName()};
    left.sort();
    expected.sort();
    EXPECT_EQ(left, expected);
}

// Work on a file whose lines are too long to show whole comes back whole and savable, and no
// question about those lines can read the file over it.
TEST_F(RecoveryTest, RecoveredWorkOnAFileWithOverlongLinesStaysWholeAndSavable)
{
    TextLoad::setLineLimitBytes(1000);
    CRidereDoc::setLoadWaitMs(0); // the file arrives behind the window, as a big one does
    const auto restore = qScopeGuard([] {
        TextLoad::setLineLimitBytes(0);
        CRidereDoc::setLoadWaitMs(60);
    });
    const QByteArray disk = QByteArray(3000, 'a') + "\n";
    const QString path = writeFile(QStringLiteral("long.txt"), disk);
    recovery::Snapshot work;
    work.header.path = path;
    work.header.encoding = 0;
    work.text = QByteArray(3000, 'b') + "\n";
    ASSERT_TRUE(QDir().mkpath(folder()));
    ASSERT_TRUE(recovery::writeSnapshotFile(
        QDir(folder()).filePath(recovery::filePrefix(QStringLiteral("00000000dead")) +
                                QStringLiteral("1.pwrec")),
        work));
    ASSERT_TRUE(closeApp());
    CRecoveryDialog::setShowHook([](CRecoveryDialog &dialog) {
        dialog.setChoice(0, CRecoveryDialog::Recover);
        return int(QDialog::Accepted);
    });
    // Yes to showing the lines whole would read the file again.
    m_answer = QMessageBox::Yes;
    startApp();
    CRidereDoc *doc = nullptr;
    ASSERT_TRUE(waitFor([&] {
        doc = qobject_cast<CRidereDoc *>(frame()->workspace().isAlreadyOpen(path));
        return doc && !doc->isLoading() && doc->isModified();
    }));
    spin(300);
    EXPECT_FALSE(doc->isLoading());
    EXPECT_EQ(editorText(doc), work.text);
    EXPECT_FALSE(doc->hasCutLines());
    EXPECT_FALSE(doc->editor()->isReadOnly());
    ASSERT_TRUE(run(Cmd::FileSave));
    EXPECT_EQ(readFile(path), work.text);
}

// The real program, killed without warning after typing into a Windows-1252 file, leaves a snapshot
// that the next start offers and recovers with its text, caret and encoding.
TEST_F(RecoveryTest, KilledProgramsTypingComesBackAtTheNextStart)
{
    const QByteArray onDisk = "caf\xe9 au lait\n"; // not UTF-8: the file opens as Windows-1252
    const QString path = writeFile(QStringLiteral("killed.txt"), onDisk);
    const QByteArray typed = "Gr\xc3\xbc\xc3\x9f" "e, ";
    m_answer = QMessageBox::No;
    ASSERT_TRUE(closeApp());

    // A portable copy beside the test's settings, with a home of its own, so that neither the
    // build tree nor the user's settings are touched and no running copy takes the file.
    const QString program = m_dir.filePath(QStringLiteral("penwright"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(PENWRIGHT_BUILD_DIR "/penwright"), program));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("home/config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("home/data")));
    env.insert(QStringLiteral("PENWRIGHT_TYPE_AT_START"), QString::fromUtf8(typed));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program, {QStringLiteral("--new-instance"), path});
    ASSERT_TRUE(child.waitForStarted(30000));
    // Written to a temporary name and renamed, so a file that shows is whole.
    const QDir dir(folder());
    ASSERT_TRUE(waitFor(
        [&] {
            return !dir.entryList({QStringLiteral("*.pwrec")}, QDir::Files).isEmpty() ||
                   child.state() == QProcess::NotRunning;
        },
        120000));
    ASSERT_EQ(child.state(), QProcess::Running) << "the program ended on its own";
    child.kill(); // SIGKILL: nothing runs on the way out
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(readFile(path), onDisk);

    QList<recovery::Entry> offered;
    CRecoveryDialog::setShowHook([&offered](CRecoveryDialog &dialog) {
        offered = dialog.entries();
        for (int row = 0; row < offered.size(); ++row)
            dialog.setChoice(row, CRecoveryDialog::Recover);
        return int(QDialog::Accepted);
    });
    startApp();
    ASSERT_TRUE(waitFor([&] { return !offered.isEmpty(); }, 60000));
    ASSERT_EQ(offered.size(), 1);
    EXPECT_FALSE(offered[0].damaged);
    EXPECT_EQ(CRecoveryDialog::nameOf(offered[0]), path);

    CDocument *reopened = nullptr;
    ASSERT_TRUE(waitFor(
        [&] {
            reopened = frame()->workspace().isAlreadyOpen(path);
            return reopened && !qobject_cast<CRidereDoc *>(reopened)->isLoading() &&
                   reopened->isModified();
        },
        60000));
    auto *recovered = qobject_cast<CRidereDoc *>(reopened);
    EXPECT_EQ(editorText(recovered), typed + "caf\xc3\xa9 au lait\n");
    EXPECT_EQ(recovered->editor()->send(Sci::SCI_GETCURRENTPOS), typed.size());
    EXPECT_EQ(recovered->encoding(), enc::Ansi);
    EXPECT_EQ(readFile(path), onDisk); // recovered, not saved
    EXPECT_TRUE(dir.entryList({QStringLiteral("*.pwrec")}, QDir::Files).isEmpty());

    // Saved by the user, the text reaches the disk in the file's own encoding.
    frame()->workspace().activateFrame(recovered->frame());
    ASSERT_TRUE(run(Cmd::FileSave));
    EXPECT_EQ(readFile(path), "Gr\xfc\xdf" "e, caf\xe9 au lait\n");
}

} // namespace
