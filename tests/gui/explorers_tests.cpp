// The explorer panes in a running program: the project tree's commands on a real folder, the
// list explorer's insertion, the Document Selector following windows, the file explorer's watch.
#include "editor/encoding/nativepath.h"
#include "editor/filedialogex.h"
#include "explorers/engine/projecttree.h"
#include "explorers/filepropertiesdialog.h"
#include "explorers/filesystemroots.h"
#include "explorers/solutionbarfs.h"
#include "explorers/solutionbarlist.h"
#include "explorers/solutionbaropenfiles.h"
#include "explorers/solutionbarproject.h"
#include "resources/commandids.h"
#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"
#include "tests/support/appfixture.h"
#include "tests/support/hunglisting.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <cstdio>

using namespace pw;
using namespace Qt::StringLiterals;
using pw::test::AppFixture;

namespace {

bool waitFor(const std::function<bool()> &condition, int ms = 5000)
{
    return QTest::qWaitFor(condition, ms);
}

QStringList childTexts(const QTreeWidgetItem *item)
{
    QStringList texts;
    for (int i = 0; item && i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

class ExplorersTest : public AppFixture
{
protected:
    CSolutionBarProject *project() const { return frame()->findChild<CSolutionBarProject *>(); }
    CSolutionBarList *lists() const { return frame()->findChild<CSolutionBarList *>(); }
    CSolutionBarOpenFiles *openFiles() const
    {
        return frame()->findChild<CSolutionBarOpenFiles *>();
    }
    // The listed titles, leaving out the empty document start-up made.
    QStringList openTitles() const
    {
        QCoreApplication::processEvents();
        QStringList titles;
        for (int i = 0; i < openFiles()->count(); ++i) {
            if (!openFiles()->item(i)->text().startsWith(u"Untitled"_s))
                titles << openFiles()->item(i)->text();
        }
        return titles;
    }
    // The label editor being used: a closed one lingers until deferred deletion.
    QLineEdit *labelEditor() const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const auto editors = project()->tree()->viewport()->findChildren<QLineEdit *>();
        return editors.size() == 1 ? editors.first() : nullptr;
    }
    // Finishes a rename the way a user does: the new text, then Enter.
    void typeNewName(const QString &name)
    {
        QLineEdit *edit = labelEditor();
        ASSERT_NE(edit, nullptr) << "no label editor open";
        edit->setText(name);
        QTest::keyClick(edit, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    // The project folder, made with "slow/x.txt" in it and added to the pane; its "slow" item.
    QTreeWidgetItem *addProjectWithSlowFolder(const QString &folder)
    {
        QDir().mkpath(folder + u"/slow"_s);
        QFile file(folder + u"/slow/x.txt"_s);
        if (!file.open(QIODevice::WriteOnly) || file.write("x") != 1)
            return nullptr;
        file.close();
        project()->setFolderChooser([folder] { return folder; });
        project()->findChild<QPushButton *>(u"addButton6237"_s)->click();
        return childNamed(project()->tree()->root(), u"slow"_s);
    }
    QTreeWidgetItem *childNamed(QTreeWidgetItem *parent, const QString &name) const
    {
        for (int i = 0; i < parent->childCount(); ++i) {
            if (parent->child(i)->text(0) == name)
                return parent->child(i);
        }
        return nullptr;
    }
};

TEST_F(ExplorersTest, ProjectTreeCreatesRenamesAndDeletesOnDisk)
{
    const QString folder = m_dir.filePath(u"proj"_s);
    ASSERT_TRUE(QDir().mkpath(folder + u"/z"_s));
    writeFile(u"proj/b.txt"_s, "b");
    writeFile(u"proj/a.txt"_s, "a");
    CSolutionBarProject *pane = project();
    ASSERT_NE(pane, nullptr);
    pane->setFolderChooser([folder] { return folder; });
    pane->findChild<QPushButton *>(u"addButton6237"_s)->click();

    CSolutionBarProjectTree *tree = pane->tree();
    QTreeWidgetItem *root = tree->root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0), folder);
    EXPECT_EQ(childTexts(root), (QStringList{u"z"_s, u"a.txt"_s, u"b.txt"_s}));
    XmlSettingsStore store(frame()->settingsFile());
    EXPECT_EQ(store.readString(u"ProjectSettings"_s, u"Directory"_s), folder);
    QStringList saved;
    for (int i = 0; i < pane->folderCombo()->count(); ++i)
        saved << store.readString(u"ProjectDirectory"_s, u"value_%1"_s.arg(i));
    EXPECT_EQ(saved, pane->folders());

    // New Folder goes into label editing; the typed name renames it on disk.
    tree->setCurrentItem(root);
    ASSERT_TRUE(run(Cmd::ProjectNewFolder));
    ASSERT_TRUE(QFileInfo(folder + u"/New Folder"_s).isDir());
    typeNewName(u"fresh"_s);
    EXPECT_TRUE(QFileInfo(folder + u"/fresh"_s).isDir());
    EXPECT_FALSE(QFileInfo::exists(folder + u"/New Folder"_s));
    // Rename again through the command; the item carries its new path.
    tree->setCurrentItem(childNamed(root, u"fresh"_s));
    ASSERT_TRUE(run(Cmd::ProjectRename));
    typeNewName(u"renamed"_s);
    EXPECT_TRUE(QFileInfo(folder + u"/renamed"_s).isDir());
    ASSERT_NE(childNamed(root, u"renamed"_s), nullptr);
    EXPECT_EQ(CSolutionBarProjectTree::pathOf(childNamed(root, u"renamed"_s)),
              QFile::encodeName(folder + u"/renamed"_s));
    // Escape ends the editing too; the text typed last is the new name.
    tree->setCurrentItem(childNamed(root, u"renamed"_s));
    ASSERT_TRUE(run(Cmd::ProjectRename));
    {
        QLineEdit *edit = labelEditor();
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, u"typed"_s);
        QTest::keyClick(edit, Qt::Key_Escape);
    }
    EXPECT_TRUE(QFileInfo(folder + u"/typed"_s).isDir());
    EXPECT_NE(childNamed(root, u"typed"_s), nullptr);

    // A second "New Folder" while one exists adds nothing.
    tree->setCurrentItem(root);
    ASSERT_TRUE(run(Cmd::ProjectNewFolder));
    ASSERT_NE(labelEditor(), nullptr);
    QTest::keyClick(labelEditor(), Qt::Key_Escape);
    tree->setCurrentItem(root);
    ASSERT_TRUE(run(Cmd::ProjectNewFolder));
    EXPECT_EQ(childTexts(root).count(u"New Folder"_s), 1);

    // A rename onto a taken name leaves the item and the file as they were.
    tree->setCurrentItem(childNamed(root, u"a.txt"_s));
    QTest::keyClick(tree, Qt::Key_F2);
    typeNewName(u"b.txt"_s);
    EXPECT_NE(childNamed(root, u"a.txt"_s), nullptr);
    EXPECT_EQ(readFile(folder + u"/a.txt"_s), QByteArray("a"));
    EXPECT_EQ(readFile(folder + u"/b.txt"_s), QByteArray("b"));

    // Delete asks, then removes for good; the root refuses.
    m_messages.clear();
    m_answer = QMessageBox::Yes;
    tree->setCurrentItem(childNamed(root, u"b.txt"_s));
    ASSERT_TRUE(run(Cmd::ProjectDelete));
    EXPECT_EQ(m_messages.value(0), u"Are you sure you want to delete\n'%1'?"_s.arg(folder + u"/b.txt"_s));
    EXPECT_FALSE(QFileInfo::exists(folder + u"/b.txt"_s));
    EXPECT_EQ(childNamed(root, u"b.txt"_s), nullptr);
    tree->setCurrentItem(root);
    ASSERT_TRUE(run(Cmd::ProjectDelete));
    EXPECT_EQ(m_messages.last(), u"You cannot delete the project folder"_s);
    EXPECT_TRUE(QFileInfo(folder).isDir());

    // Folder-only and file-only commands follow the selection.
    EXPECT_FALSE(state(Cmd::ProjectOpenFile).enabled);
    EXPECT_TRUE(state(Cmd::ProjectRefresh).enabled);
    tree->setCurrentItem(childNamed(root, u"a.txt"_s));
    EXPECT_TRUE(state(Cmd::ProjectOpenFile).enabled);
    EXPECT_FALSE(state(Cmd::ProjectRefresh).enabled);
}

TEST_F(ExplorersTest, FolderListStartsWithDocumentsAndForgetsOnlyWhenAsked)
{
    CSolutionBarProject *pane = project();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->folders(), QStringList{m_dir.filePath(u"docs"_s)});
    EXPECT_EQ(pane->tree()->root(), nullptr) << "nothing chosen yet";

    const QString kept = m_dir.filePath(u"kept"_s);
    pane->addFolder(kept);
    EXPECT_TRUE(QFileInfo(kept).isDir()) << "a chosen folder that is missing is made";
    pane->addFolder(kept);
    EXPECT_EQ(pane->folders().count(kept), 1);

    m_answer = QMessageBox::No;
    pane->findChild<QPushButton *>(u"removeButton6238"_s)->click();
    EXPECT_EQ(m_messages.last(), u"Remove %1 from the Project Explorer?"_s.arg(kept));
    EXPECT_TRUE(pane->folders().contains(kept));
    m_answer = QMessageBox::Yes;
    pane->removeCurrentFolder();
    EXPECT_FALSE(pane->folders().contains(kept));
    EXPECT_TRUE(QFileInfo(kept).isDir()) << "the folder on disk stays";
    // The list survives a restart; the removed folder does not come back.
    ASSERT_TRUE(closeApp());
    startApp();
    EXPECT_FALSE(project()->folders().contains(kept));
}

// A folder that does not answer (a dead network mount) shows a note in place of its entries
// and leaves the window alone; its entries replace the note once its listing ends.
TEST_F(ExplorersTest, ProjectTreeOpensAFolderThatDoesNotAnswerWithoutWaitingForIt)
{
    const QString folder = m_dir.filePath(u"mount"_s);
    test::HungListing hung(folder + u"/slow"_s);
    QTreeWidgetItem *item = addProjectWithSlowFolder(folder);
    ASSERT_NE(item, nullptr);

    QElapsedTimer timer;
    timer.start();
    item->setExpanded(true);
    EXPECT_LT(timer.elapsed(), 2000) << "the tree waited for the folder";
    EXPECT_TRUE(hung.reading());
    EXPECT_TRUE(CSolutionBarProjectTree::isReading(item));
    EXPECT_EQ(childTexts(item), QStringList{u"Reading the folder\u2026"_s});
    EXPECT_FALSE(item->child(0)->flags() & Qt::ItemIsSelectable);
    // Refresh does not ask the folder again while it has not answered.
    project()->tree()->setCurrentItem(item);
    ASSERT_TRUE(run(Cmd::ProjectRefresh));
    EXPECT_EQ(hung.listings(), 1);

    hung.release();
    EXPECT_TRUE(waitFor([&] { return childTexts(item) == QStringList{u"x.txt"_s}; }));
    EXPECT_FALSE(CSolutionBarProjectTree::isReading(item));
}

// A folder renamed while its listing hangs takes nothing from that listing of its old name.
TEST_F(ExplorersTest, ProjectTreeFolderRenamedWhileReadIsFilledFromItsNewName)
{
    const QString folder = m_dir.filePath(u"mount"_s);
    test::HungListing hung(folder + u"/slow"_s);
    QTreeWidgetItem *item = addProjectWithSlowFolder(folder);
    ASSERT_NE(item, nullptr);
    CSolutionBarProjectTree *tree = project()->tree();
    item->setExpanded(true);
    ASSERT_TRUE(CSolutionBarProjectTree::isReading(item));
    item->setExpanded(false);
    ASSERT_TRUE(tree->renameItem(item, u"renamed"_s));
    hung.release();
    QTest::qWait(200);
    EXPECT_EQ(item->childCount(), 0) << "the old name's listing filled the folder";
    item->setExpanded(true);
    ASSERT_EQ(childTexts(item), QStringList{u"x.txt"_s});
    EXPECT_EQ(CSolutionBarProjectTree::pathOf(item->child(0)),
              QFile::encodeName(folder + u"/renamed/x.txt"_s));
}

TEST_F(ExplorersTest, ProjectTreeMovesEntriesAndInsertsFiles)
{
    const QString folder = m_dir.filePath(u"moves"_s);
    ASSERT_TRUE(QDir().mkpath(folder + u"/dest/inner"_s));
    writeFile(u"moves/snippet.txt"_s, QByteArray("<p><%REPLACE%></p>\0tail", 23));
    CSolutionBarProject *pane = project();
    pane->addFolder(folder);
    CSolutionBarProjectTree *tree = pane->tree();
    QTreeWidgetItem *root = tree->root();
    ASSERT_NE(root, nullptr);
    QTreeWidgetItem *dest = childNamed(root, u"dest"_s);
    QTreeWidgetItem *snippet = childNamed(root, u"snippet.txt"_s);
    ASSERT_TRUE(dest && snippet);

    // The file goes into the open document through the editor's template insertion.
    CRidereDoc *doc = open(writeFile(u"target.txt"_s, "word"));
    ASSERT_NE(doc, nullptr);
    doc->editor()->send(Sci::SCI_SETSEL, 0, 4);
    tree->setCurrentItem(snippet);
    ASSERT_TRUE(state(Cmd::ProjectInsertIntoDocument).enabled);
    ASSERT_TRUE(run(Cmd::ProjectInsertIntoDocument));
    EXPECT_EQ(editorText(doc), QByteArray("<p>word</p>"));

    // New File and Add Existing File create on disk, open the file and show it under the folder.
    tree->setCurrentItem(dest);
    pane->setNameAsker([](QString &name) {
        name = u"made.txt"_s;
        return true;
    });
    ASSERT_TRUE(run(Cmd::ProjectNewFile));
    EXPECT_TRUE(QFileInfo(folder + u"/dest/made.txt"_s).isFile());
    ASSERT_NE(activeDoc(), nullptr);
    EXPECT_EQ(activeDoc()->pathName(), folder + u"/dest/made.txt"_s);
    EXPECT_NE(childNamed(dest, u"made.txt"_s), nullptr);
    const QString outside = writeFile(u"outside.txt"_s, "copied");
    pane->setFilesChooser([outside] { return QStringList{outside, outside}; });
    tree->setCurrentItem(childNamed(dest, u"made.txt"_s));
    ASSERT_TRUE(run(Cmd::ProjectAddExistingFile));
    EXPECT_EQ(readFile(folder + u"/dest/outside.txt"_s), QByteArray("copied"));
    EXPECT_EQ(childTexts(dest).count(u"outside.txt"_s), 1);

    // Drops: never onto the entry's own folder or a file; a folder moves with its contents.
    EXPECT_FALSE(tree->canDrop(snippet, root));
    EXPECT_FALSE(tree->canDrop(dest, snippet));
    tree->expandItem(dest);
    QTreeWidgetItem *inner = childNamed(dest, u"inner"_s);
    ASSERT_NE(inner, nullptr);
    EXPECT_FALSE(tree->canDrop(dest, inner));
    QTreeWidgetItem *moved = tree->moveItem(snippet, dest);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->parent(), dest);
    EXPECT_EQ(tree->currentItem(), moved);
    EXPECT_TRUE(QFileInfo::exists(folder + u"/dest/snippet.txt"_s));
    EXPECT_EQ(childNamed(root, u"snippet.txt"_s), nullptr);
}

// The tree changes files behind the open window's back; the window notices as it would any
// other program's change, and a closed window leaves the Document Selector.
TEST_F(ExplorersTest, DeletingAnOpenFileFromTheTreeReachesItsWindow)
{
    const QString folder = m_dir.filePath(u"open"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = writeFile(u"open/shown.txt"_s, "text");
    ASSERT_NE(open(path), nullptr);
    EXPECT_TRUE(openTitles().contains(u"shown.txt"_s));
    CSolutionBarProject *pane = project();
    pane->addFolder(folder);
    QTreeWidgetItem *item = childNamed(pane->tree()->root(), u"shown.txt"_s);
    ASSERT_NE(item, nullptr);
    pane->tree()->setCurrentItem(item);
    m_answer = QMessageBox::Yes;
    ASSERT_TRUE(run(Cmd::ProjectDelete));
    ASSERT_FALSE(QFileInfo::exists(path));
    m_answer = QMessageBox::No; // do not keep the document of a deleted file
    EXPECT_TRUE(waitFor([&] { return m_messages.last().contains(u"deleted or moved"_s); }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(waitFor([&] { return !openTitles().contains(u"shown.txt"_s); }));
}

TEST_F(ExplorersTest, ListExplorerInsertsTagsAndCodesIntoTheDocument)
{
    CRidereDoc *doc = open(writeFile(u"page.html"_s, "abc"));
    ASSERT_NE(doc, nullptr);
    CMFCScintilla *ed = doc->editor();
    CSolutionBarList *pane = lists();
    ASSERT_NE(pane, nullptr);
    const auto doubleClick = [pane](const QString &display) {
        const QList<QListWidgetItem *> found = pane->entries()->findItems(display, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << display.toStdString();
        emit pane->entries()->itemDoubleClicked(found.first());
    };

    ed->send(Sci::SCI_SETSEL, 0, 3);
    doubleClick(u"B"_s);
    EXPECT_EQ(editorText(doc), QByteArray("<B>abc</B>"));

    ed->clear();
    doubleClick(u"B"_s);
    EXPECT_EQ(editorText(doc), QByteArray("<B></B>"));
    EXPECT_EQ(ed->send(Sci::SCI_GETCURRENTPOS), 0);

    ed->clear();
    pane->listCombo()->setCurrentIndex(2);
    doubleClick(u"128\t\u20AC"_s);
    EXPECT_EQ(editorText(doc), QByteArray("\xE2\x82\xAC"));
}

TEST_F(ExplorersTest, DocumentSelectorFollowsOpenCloseAndSaveAs)
{
    CSolutionBarOpenFiles *list = openFiles();
    ASSERT_NE(list, nullptr);
    CRidereDoc *beta = open(writeFile(u"beta.txt"_s, "b"));
    CRidereDoc *alpha = open(writeFile(u"alpha.txt"_s, "a"));
    ASSERT_TRUE(alpha && beta);
    EXPECT_EQ(openTitles(), (QStringList{u"alpha.txt"_s, u"beta.txt"_s}));

    beta->frame()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(openTitles(), QStringList{u"alpha.txt"_s});

    const QString target = m_dir.filePath(u"gamma.txt"_s);
    CFileDialogEx::setSaveHook([&](CFileDialogEx::SaveChoice &choice, const QString &) {
        choice.path = target;
        return true;
    });
    const bool saved = run(Cmd::FileSaveAs);
    CFileDialogEx::setSaveHook({});
    ASSERT_TRUE(saved);
    EXPECT_EQ(openTitles(), QStringList{u"gamma.txt"_s});

    // Choosing an entry brings its window to the front.
    CRidereDoc *delta = open(writeFile(u"delta.txt"_s, "d"));
    ASSERT_EQ(activeDoc(), delta);
    list->choose(list->row(list->findItems(u"gamma.txt"_s, Qt::MatchExactly).value(0)));
    EXPECT_EQ(activeDoc(), alpha);
}

// Watching, opening and the item commands are in fileexplorer_tests.cpp.
TEST_F(ExplorersTest, FileExplorerStartsAtRootAndHomeAndShowsProperties)
{
    auto *pane = frame()->findChild<CSolutionBarFSContainer *>();
    ASSERT_NE(pane, nullptr);
    CFileSysTreeCtrl *tree = pane->tree();
    tree->fill();
    FileSystemRoots *model = tree->roots();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->filePath(model->index(0, 0)), QDir::rootPath());
    EXPECT_EQ(model->filePath(model->index(1, 0)), QDir::homePath());
    EXPECT_EQ(tree->selectedPath(), QDir::homePath());

    const QString folder = m_dir.filePath(u"props"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = writeFile(u"props/first.txt"_s, "12345");
    CFilePropertiesDialog dialog(path);
    EXPECT_EQ(dialog.fieldText(1006), folder);
    EXPECT_EQ(dialog.fieldText(1007), u"05 (bytes)"_s);
    EXPECT_EQ(dialog.fieldText(1009), CFilePropertiesDialog::formatTime(QFileInfo(path).lastModified()));
    EXPECT_EQ(CFilePropertiesDialog(folder + u"/none"_s).fieldText(1007), u"Unknown"_s);

    ASSERT_TRUE(tree->selectPath(path));
    EXPECT_TRUE(pane->itemCommandEnabled(Cmd::FileOpen));
    ASSERT_TRUE(tree->selectPath(folder));
    EXPECT_FALSE(pane->itemCommandEnabled(Cmd::FileOpen)) << "a folder does not open";
}

// A name that is not UTF-8 opens from the project tree by command, shows with a replacement
// character, and saves back into the very same file; as bytes it opens the same way.
TEST_F(ExplorersTest, FileNamedInBytesThatAreNotUtf8OpensAndSavesInPlace)
{
    const QString folder = m_dir.filePath(u"bytes"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QByteArray native = QFile::encodeName(folder) + "/caf\xe9.txt";
    {
        std::FILE *file = std::fopen(native.constData(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs("old\n", file);
        std::fclose(file);
    }
    // The temporary folder's own clean-up cannot reach the name.
    const auto cleanUp = qScopeGuard([&] { explorers::removeEntry(QFile::encodeName(folder)); });
    const auto onDisk = [&] {
        QList<QByteArray> names;
        for (const explorers::ProjectEntry &entry : explorers::listFolder(QFile::encodeName(folder)))
            names << entry.nativePath;
        return names;
    };

    CSolutionBarProject *pane = project();
    pane->addFolder(folder);
    QTreeWidgetItem *item = childNamed(pane->tree()->root(), u"caf\uFFFD.txt"_s);
    ASSERT_NE(item, nullptr);
    pane->tree()->setCurrentItem(item);
    ASSERT_TRUE(run(Cmd::ProjectOpenFile));
    CRidereDoc *doc = activeDoc();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(waitFor([&] { return !doc->isLoading(); }));
    EXPECT_EQ(editorText(doc), "old\n");
    EXPECT_EQ(doc->title(), u"caf\uFFFD.txt"_s);
    EXPECT_EQ(enc::nativeFromPath(doc->pathName()), native);
    EXPECT_FALSE(doc->isReadOnly());

    doc->editor()->send(Sci::SCI_DOCUMENTEND);
    doc->editor()->sendText(Sci::SCI_ADDTEXT, 4, "new\n");
    ASSERT_TRUE(run(Cmd::FileSave));
    EXPECT_FALSE(doc->isModified());
    {
        std::FILE *file = std::fopen(native.constData(), "rb");
        ASSERT_NE(file, nullptr);
        char back[16] = {};
        const std::size_t got = std::fread(back, 1, sizeof back, file);
        std::fclose(file);
        EXPECT_EQ(QByteArray(back, qsizetype(got)), "old\nnew\n");
    }
    EXPECT_EQ(onDisk(), QList<QByteArray>{native}) << "a second file appeared";
    EXPECT_EQ(doc->title(), u"caf\uFFFD.txt"_s);

    // Asked again, the open window comes forward.
    EXPECT_TRUE(run(Cmd::ProjectOpenFile));
    EXPECT_EQ(activeDoc(), doc);
    EXPECT_EQ(frame()->workspace().documentFrames().size(), 2); // with start-up's empty one
}

} // namespace
