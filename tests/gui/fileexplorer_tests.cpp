// The File Explorer on a real folder: names that are not UTF-8 listed, opened and watched by their
// bytes, unreadable folders and link loops shown without children, a large folder shown in batches.
#include "editor/encoding/nativepath.h"
#include "explorers/engine/projecttree.h"
#include "explorers/filepropertiesdialog.h"
#include "explorers/filesystemroots.h"
#include "explorers/solutionbarfs.h"
#include "resources/commandids.h"
#include "tests/support/appfixture.h"
#include "tests/support/hunglisting.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QPersistentModelIndex>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <cstdio>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace pw;
using namespace Qt::StringLiterals;
using pw::test::AppFixture;

namespace {

bool waitFor(const std::function<bool()> &condition, int ms = 10000)
{
    return QTest::qWaitFor(condition, ms);
}

void writeNative(const QByteArray &path, const QByteArray &bytes)
{
    std::FILE *file = std::fopen(path.constData(), "wb");
    ASSERT_NE(file, nullptr) << path.toStdString();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), file);
    std::fclose(file);
}

// Root reads every folder; for as long as this lives, the test thread (and threads it starts)
// obeys permissions like any user. Nothing changes when the process lacks those rights anyway.
class PermissionsObeyed
{
public:
    PermissionsObeyed()
    {
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_changed = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~PermissionsObeyed()
    {
        if (m_changed)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    PermissionsObeyed(const PermissionsObeyed &) = delete;
    PermissionsObeyed &operator=(const PermissionsObeyed &) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2] = {};
    bool m_changed = false;
};

class FileExplorerTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        m_pane = frame()->findChild<CSolutionBarFSContainer *>();
        ASSERT_NE(m_pane, nullptr);
        tree()->fill();
    }
    CFileSysTreeCtrl *tree() const { return m_pane->tree(); }
    FileSystemRoots *model() const { return tree()->roots(); }
    // Opens the folder's item as a click on its expander does and waits for all its entries.
    QPersistentModelIndex expanded(const QString &path) const
    {
        const QPersistentModelIndex index = tree()->indexOf(path);
        if (!index.isValid())
            return index;
        tree()->expand(index);
        waitFor([&] { return model()->isIdle(); });
        return index;
    }
    QStringList shown(const QModelIndex &folder) const
    {
        QStringList names;
        for (int row = 0; row < model()->rowCount(folder); ++row)
            names << model()->index(row, 0, folder).data().toString();
        return names;
    }

    CSolutionBarFSContainer *m_pane = nullptr;
};

TEST_F(FileExplorerTest, NamesThatAreNotUtf8AreListedOpenedAndWatchedByTheirBytes)
{
    const QString folder = m_dir.filePath(u"raw"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QByteArray base = QFile::encodeName(folder);
    // The temporary folder's own clean-up cannot reach such names.
    const auto cleanUp = qScopeGuard([&] { explorers::removeEntry(base); });
    writeNative(base + "/caf\xe9.txt", "caf\xc3\xa9 au lait\n");
    ASSERT_EQ(::mkdir(QByteArray(base + "/\xff\xfe").constData(), 0777), 0);
    writeNative(base + "/\xff\xfe/inner.txt", "inner\n");

    const QPersistentModelIndex dir = expanded(folder);
    ASSERT_TRUE(dir.isValid());
    const struct
    {
        QString shown;
        QByteArray native;
        bool folder;
    } rows[] = {{u"\uFFFD\uFFFD"_s, base + "/\xff\xfe", true},
                {u"caf\uFFFD.txt"_s, base + "/caf\xe9.txt", false}};
    ASSERT_EQ(model()->rowCount(dir), int(std::size(rows)));
    for (int row = 0; row < model()->rowCount(dir); ++row) {
        const QModelIndex item = model()->index(row, 0, dir);
        EXPECT_EQ(item.data().toString(), rows[row].shown);
        EXPECT_EQ(model()->nativePath(item), rows[row].native);
        EXPECT_EQ(model()->isDir(item), rows[row].folder);
        EXPECT_EQ(enc::nativeFromPath(model()->filePath(item)), rows[row].native);
    }

    // Open reads the very file, and the window keeps its bytes for saving.
    const QString file = enc::pathFromNative(base + "/caf\xe9.txt");
    ASSERT_TRUE(tree()->selectPath(file));
    ASSERT_TRUE(m_pane->runItemCommand(Cmd::FileOpen));
    CRidereDoc *doc = activeDoc();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(waitFor([&] { return !doc->isLoading(); }));
    EXPECT_EQ(editorText(doc), "caf\xc3\xa9 au lait\n");
    EXPECT_EQ(enc::nativeFromPath(doc->pathName()), base + "/caf\xe9.txt");
    ASSERT_TRUE(m_pane->runItemCommand(Cmd::CopyFilePath));
    EXPECT_EQ(QApplication::clipboard()->text(), folder + u"/caf\uFFFD.txt"_s);
    const QString inner = enc::pathFromNative(base + "/\xff\xfe/inner.txt");
    ASSERT_TRUE(tree()->selectPath(inner)) << "found through a folder that is not UTF-8";
    EXPECT_TRUE(m_pane->itemCommandEnabled(Cmd::FileOpenHex));
#ifdef PENWRIGHT_TEST_WITH_HEX
    ASSERT_TRUE(m_pane->runItemCommand(Cmd::FileOpenHex));
    CMDIChildFrame *hex = frame()->workspace().activeFrame();
    ASSERT_NE(hex, nullptr);
    EXPECT_EQ(enc::nativeFromPath(hex->document()->pathName()), base + "/\xff\xfe/inner.txt");
    EXPECT_EQ(qobject_cast<CRidereDoc *>(hex->document()), nullptr) << "opened as text";
#endif

    // Entries made and removed from outside show up, in the folder whose own path is not UTF-8
    // as well.
    const QPersistentModelIndex odd = expanded(enc::pathFromNative(base + "/\xff\xfe"));
    ASSERT_EQ(shown(odd), QStringList{u"inner.txt"_s});
    writeNative(base + "/new\xe9.txt", "");
    writeNative(base + "/\xff\xfe/also\xe9.txt", "");
    ASSERT_EQ(::unlink(QByteArray(base + "/\xff\xfe/inner.txt").constData()), 0);
    EXPECT_TRUE(waitFor([&] {
        return shown(dir) == QStringList{u"\uFFFD\uFFFD"_s, u"caf\uFFFD.txt"_s, u"new\uFFFD.txt"_s} &&
               shown(odd) == QStringList{u"also\uFFFD.txt"_s};
    })) << shown(dir).join(u'|').toStdString() << " / " << shown(odd).join(u'|').toStdString();
    EXPECT_EQ(model()->nativePath(model()->index(2, 0, dir)), base + "/new\xe9.txt");

    // Properties read the file through its bytes and set its read-only attribute there.
    QString askedFor;
    m_pane->setPropertiesShower([&](const QString &path) { askedFor = path; });
    ASSERT_TRUE(tree()->selectPath(file));
    ASSERT_TRUE(m_pane->runItemCommand(Cmd::FileProperties));
    ASSERT_EQ(askedFor, file);
    CFilePropertiesDialog dialog(askedFor);
    EXPECT_EQ(dialog.fieldText(1005), u"caf\uFFFD.txt"_s);
    EXPECT_EQ(dialog.fieldText(1006), folder);
    EXPECT_EQ(dialog.fieldText(1007), u"14 (bytes)"_s);
    EXPECT_FALSE(dialog.readOnlyBox()->isChecked());
    dialog.readOnlyBox()->setChecked(true);
    dialog.accept();
    struct stat st;
    ASSERT_EQ(::stat(QByteArray(base + "/caf\xe9.txt").constData(), &st), 0);
    EXPECT_FALSE(st.st_mode & S_IWUSR);
}

TEST_F(FileExplorerTest, UnreadableFoldersAndLinkLoopsShowWithoutChildren)
{
    const QString folder = m_dir.filePath(u"odd"_s);
    const QByteArray base = QFile::encodeName(folder);
    ASSERT_TRUE(QDir().mkpath(folder + u"/locked"_s));
    ASSERT_TRUE(QDir().mkpath(folder + u"/deep"_s));
    writeFile(u"odd/locked/secret.txt"_s, "s");
    ASSERT_EQ(::symlink(".", QByteArray(base + "/loop").constData()), 0);
    ASSERT_EQ(::symlink("..", QByteArray(base + "/deep/back").constData()), 0);
    ASSERT_EQ(::symlink("self", QByteArray(base + "/self").constData()), 0);
    ASSERT_EQ(::chmod(QByteArray(base + "/locked").constData(), 0), 0);
    const auto cleanUp = qScopeGuard([&] { ::chmod(QByteArray(base + "/locked").constData(), 0755); });
    const PermissionsObeyed asUser;
    // Folders are read by threads the new model starts, with the rights the test has now.
    tree()->refresh();
    QSignalSpy notes(tree(), &CFileSysTreeCtrl::folderNote);

    const QPersistentModelIndex dir = expanded(folder);
    EXPECT_EQ(shown(dir), (QStringList{u"deep"_s, u"locked"_s, u"loop"_s, u"self"_s}));
    const struct
    {
        QString path;
        QString note; // %1: the folder
    } cases[] = {
        {folder + u"/locked"_s, u"The folder %1 cannot be read"_s},
        {folder + u"/loop"_s, u"%1 leads back to a folder above it and is not opened again"_s},
        {folder + u"/deep/back"_s, u"%1 leads back to a folder above it and is not opened again"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        notes.clear();
        const QPersistentModelIndex item = expanded(c.path);
        ASSERT_TRUE(item.isValid());
        EXPECT_TRUE(model()->isDir(item));
        EXPECT_EQ(model()->rowCount(item), 0);
        EXPECT_FALSE(model()->hasChildren(item));
        ASSERT_EQ(notes.size(), 1);
        EXPECT_EQ(notes.at(0).at(0).toString(), c.note.arg(c.path));
    }
    // A link to itself leads nowhere: it shows as an entry that does not open.
    ASSERT_TRUE(tree()->selectPath(folder + u"/self"_s));
    EXPECT_FALSE(model()->isDir(tree()->currentIndex()));
    EXPECT_FALSE(m_pane->itemCommandEnabled(Cmd::FileOpen));
}

TEST_F(FileExplorerTest, LargeFolderIsShownInBatchesUnderAWaitCursor)
{
    const QString folder = m_dir.filePath(u"big"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    const int files = int(FileSystemRoots::kBatchRows) * 2 + 17;
    // Links to one file: a new inode for each entry is slow to get on a busy disk.
    const QByteArray first = QFile::encodeName(folder) + "/f0";
    writeNative(first, "");
    for (int i = 1; i < files; ++i) {
        const QByteArray name = QFile::encodeName(folder) + "/f" + QByteArray::number(i);
        ASSERT_EQ(::link(first.constData(), name.constData()), 0);
    }

    const QPersistentModelIndex dir = tree()->indexOf(folder);
    ASSERT_TRUE(dir.isValid());
    QList<int> batches;
    bool waitCursorWhileAdding = true;
    QObject::connect(model(), &QAbstractItemModel::rowsInserted, model(),
            [&](const QModelIndex &parent, int first, int last) {
                if (parent != dir)
                    return;
                batches << last - first + 1;
                waitCursorWhileAdding = waitCursorWhileAdding && QGuiApplication::overrideCursor();
            });
    tree()->expand(dir);
    ASSERT_TRUE(waitFor([&] { return model()->isIdle(); }));
    EXPECT_EQ(model()->rowCount(dir), files);
    EXPECT_GT(batches.size(), 1) << "all rows in one step";
    for (int batch : std::as_const(batches))
        EXPECT_LE(batch, int(FileSystemRoots::kBatchRows));
    EXPECT_TRUE(waitCursorWhileAdding);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the wait cursor stayed";
}

TEST_F(FileExplorerTest, RefreshDoesNotWaitForAListingThatHangs)
{
    const QString folder = m_dir.filePath(u"slow"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    writeFile(u"slow/a.txt"_s, "a");
    test::HungListing hung(folder);
    const QPersistentModelIndex dir = tree()->indexOf(folder);
    ASSERT_TRUE(dir.isValid());
    tree()->expand(dir);
    ASSERT_TRUE(waitFor([&] { return hung.reading(); }));
    QElapsedTimer timer;
    timer.start();
    tree()->refresh();
    EXPECT_LT(timer.elapsed(), 2000) << "Refresh waited for the hung read";
    EXPECT_TRUE(tree()->indexOf(m_dir.path()).isValid()) << "the new tree answers";
    // The read comes back after its model has gone: its result goes nowhere.
    hung.release();
    QTest::qWait(100);
    EXPECT_EQ(shown(expanded(folder)), QStringList{u"a.txt"_s});
}

} // namespace
