// Backups in a running program: what the text document's saves leave behind, a restart, a backup
// that fails, settings reaching open documents, and the "Document Backups" dialog.
#include "app/mainframehost.h"
#include "backup/backuphistorydialog.h"
#include "backup/backupmanager.h"
#include "backup/engine/removalqueue.h"
#include "compare/compareview.h"
#include "compare/comparewin.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "settings/framesettings.h"
#include "tests/support/appfixture.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>

using namespace pw;
using pw::test::AppFixture;

namespace {

class BackupTest : public AppFixture
{
protected:
    void TearDown() override
    {
        CBackupHistoryDlg::setShowHook({});
        AppFixture::TearDown();
    }
    QString root() const { return m_dir.filePath(QStringLiteral("Backup")); }
    void useBackups(int mode, int versions, const QString &rootFolder = {})
    {
        FrameSettings &s = frame()->settings();
        s.backupSetting = mode;
        s.versions = versions;
        s.backupFolder = rootFolder.isEmpty() ? root() : rootFolder;
    }
    BackupManager *manager() const
    {
        return dynamic_cast<BackupManager *>(m_app->host()->backups());
    }
    // The open document of path (the program may have reopened it), or path opened now.
    CRidereDoc *document(const QString &path)
    {
        CDocument *open = frame()->workspace().isAlreadyOpen(path);
        return open ? qobject_cast<CRidereDoc *>(open) : this->open(path);
    }
    // A line typed at the end, then File, Save.
    bool save(CRidereDoc *doc, int number)
    {
        frame()->workspace().activateFrame(doc->frame());
        const QByteArray line = "save " + QByteArray::number(number) + '\n';
        doc->editor()->send(Sci::SCI_DOCUMENTEND);
        doc->editor()->sendText(Sci::SCI_ADDTEXT, static_cast<unsigned long>(line.size()),
                                line.constData());
        return run(Cmd::FileSave) && !doc->isModified();
    }
    const backup::BackupStore *storeOf(CRidereDoc *doc) const
    {
        for (const backup::BackupStore *store : manager()->stores()) {
            if (store->source() == doc->pathName())
                return store;
        }
        return nullptr;
    }
    // The files of a version folder, by name, with what each holds.
    QMap<QString, QByteArray> folder(const QString &path) const
    {
        backup::waitForPendingRemovals();
        QMap<QString, QByteArray> files;
        for (const QString &name : QDir(path).entryList(QDir::Files))
            files.insert(name, readFile(QDir(path).filePath(name)));
        return files;
    }
    // Text of the document after `saves` saves of save().
    static QByteArray afterSaves(int saves)
    {
        QByteArray text = "v0\n";
        for (int i = 1; i <= saves; ++i)
            text += "save " + QByteArray::number(i) + '\n';
        return text;
    }
};

TEST_F(BackupTest, SavesLeaveTheFileAsItWasBeforeEachSave)
{
    struct Case
    {
        const char *name;
        int mode;
        int versions;
        int saves;
        QMap<QString, QByteArray> files; // relative to the test folder
        bool versionsListed;
    };
    const Case cases[] = {
        {"bak", 1, 1, 2, {{QStringLiteral("bak.txt.bak"), afterSaves(1)}}, false},
        // "Versions" 3 and four saves: version 0 went, 1 to 3 stay.
        {"versions",
         2,
         3,
         4,
         {{QStringLiteral("Backup/0/1"), afterSaves(1)},
          {QStringLiteral("Backup/0/2"), afterSaves(2)},
          {QStringLiteral("Backup/0/3"), afterSaves(3)}},
         true},
    };
    for (const Case &c : cases) {
        useBackups(c.mode, c.versions);
        const QString path = writeFile(QLatin1String(c.name) + QStringLiteral(".txt"), "v0\n");
        CRidereDoc *doc = document(path);
        ASSERT_TRUE(doc);
        for (int i = 1; i <= c.saves; ++i)
            ASSERT_TRUE(save(doc, i)) << c.name;
        EXPECT_EQ(readFile(path), afterSaves(c.saves)) << c.name;
        for (auto it = c.files.begin(); it != c.files.end(); ++it) {
            const QString file = m_dir.filePath(it.key());
            EXPECT_EQ(folder(QFileInfo(file).absolutePath()).value(QFileInfo(file).fileName()),
                      it.value())
                << it.key().toStdString();
        }
        if (c.mode == 2) {
            EXPECT_EQ(folder(root() + QStringLiteral("/0")).size(), c.files.size());
        }
        EXPECT_EQ(state(Cmd::ViewBackupVersions).enabled, c.versionsListed) << c.name;
    }
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(QLatin1Char('\n')).toStdString();
}

TEST_F(BackupTest, RestartFindsTheSameFolder)
{
    useBackups(2, 5);
    // Another document takes folder 0 first.
    ASSERT_TRUE(save(document(writeFile(QStringLiteral("first.txt"), "v0\n")), 1));
    const QString path = writeFile(QStringLiteral("doc.txt"), "v0\n");
    ASSERT_TRUE(save(document(path), 1));
    ASSERT_TRUE(save(document(path), 2));
    ASSERT_TRUE(closeApp());

    startApp();
    useBackups(2, 5);
    CRidereDoc *doc = document(path);
    ASSERT_TRUE(doc);
    const backup::BackupStore *store = storeOf(doc);
    ASSERT_TRUE(store);
    EXPECT_EQ(store->folderNumber(), std::optional<int>(1));
    EXPECT_EQ(store->versionCount(), 2);
    ASSERT_TRUE(save(doc, 3));
    EXPECT_EQ(folder(root() + QStringLiteral("/1")).keys(),
              (QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}));
}

TEST_F(BackupTest, FailedBackupShowsItsMessageAndTheSaveGoesOn)
{
    // The root is a file: no version folder can be made under it.
    useBackups(2, 3, writeFile(QStringLiteral("not-a-folder"), "x"));
    const QString path = writeFile(QStringLiteral("doc.txt"), "v0\n");
    CRidereDoc *doc = document(path);
    ASSERT_TRUE(save(doc, 1));
    EXPECT_EQ(m_messages, QStringList{resourceText(Str::BackupFailed)});
    EXPECT_EQ(readFile(path), afterSaves(1));
}

TEST_F(BackupTest, SettingsReachOpenDocumentsThroughPrune)
{
    useBackups(2, 3);
    CRidereDoc *doc = document(writeFile(QStringLiteral("doc.txt"), "v0\n"));
    for (int i = 1; i <= 3; ++i)
        ASSERT_TRUE(save(doc, i));
    useBackups(2, 1);
    manager()->applySettings();
    EXPECT_EQ(storeOf(doc)->versionCount(), 1);
    EXPECT_EQ(folder(root() + QStringLiteral("/0")).keys(), QStringList{QStringLiteral("2")});
    // No backups at all: everything goes, the folder and the document's list.
    useBackups(0, 1);
    manager()->applySettings();
    EXPECT_FALSE(QFileInfo::exists(root()));
    EXPECT_FALSE(state(Cmd::ViewBackupVersions).enabled);
}

TEST_F(BackupTest, VersionsDialogComparesExactlyTwoEntries)
{
    useBackups(2, 3);
    const QString path = writeFile(QStringLiteral("doc.txt"), "v0\n");
    CRidereDoc *doc = document(path);
    EXPECT_FALSE(state(Cmd::ViewBackupVersions).enabled);
    ASSERT_TRUE(save(doc, 1));
    ASSERT_TRUE(save(doc, 2));
    const QString newest = root() + QStringLiteral("/0/1");
    const QString oldest = root() + QStringLiteral("/0/0");

    struct Case
    {
        QList<int> rows; // of "Current", the newest version, the oldest version
        QString first;   // empty: refused
        QString second;
    };
    // Which rows may be compared is the rule's own test; here, what the dialog does with it.
    const Case cases[] = {
        {{0}, {}, {}},
        {{0, 2}, path, oldest},
        {{2, 1}, newest, oldest},
    };
    for (const Case &c : cases) {
        m_messages.clear();
        QStringList rows;
        CBackupHistoryDlg::setShowHook([&](CBackupHistoryDlg &dialog) {
            for (int i = 0; i < dialog.list()->count(); ++i)
                rows << dialog.list()->item(i)->text();
            for (const int row : c.rows)
                dialog.list()->item(row)->setSelected(true);
            dialog.compareButton()->click();
            return dialog.result();
        });
        frame()->workspace().activateFrame(doc->frame());
        ASSERT_TRUE(run(Cmd::ViewBackupVersions));
        ASSERT_EQ(rows.size(), 3);
        EXPECT_EQ(rows.front(), QStringLiteral("Current"));
        auto *compare = qobject_cast<CCompareFrame *>(frame()->workspace().activeFrame());
        if (c.first.isEmpty()) {
            EXPECT_EQ(m_messages, QStringList{resourceText(Str::BackupSelectTwo)});
            EXPECT_EQ(compare, nullptr);
            continue;
        }
        EXPECT_TRUE(m_messages.isEmpty());
        ASSERT_TRUE(compare);
        EXPECT_EQ(compare->view()->control()->request().first, c.first);
        EXPECT_EQ(compare->view()->control()->request().second, c.second);
        compare->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace
