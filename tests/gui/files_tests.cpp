// Files as a user meets them through the program: the Open and Save As rules, and what a save
// does to the file on disk.
#include "editor/doccore/doccore.h"
#include "editor/filedialogex.h"
#include "resources/commandids.h"
#include "tests/support/appfixture.h"

#include <QDir>
#include <QFileInfo>

using namespace pw;
using pw::test::AppFixture;

namespace {

class FilesTest : public AppFixture
{
protected:
    void TearDown() override
    {
        CFileDialogEx::setSaveHook({});
        AppFixture::TearDown();
    }
};

TEST(FileFilters, AllFilesMatchesNamesWithoutADot)
{
    const auto filters = doc::parseFilterString(QStringLiteral("All Files (*.*)|*.*||"));
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(doc::toQtFilter(filters.front()), QStringLiteral("All Files (*)"));
    // A dot in a folder's name is not the file's extension.
    EXPECT_EQ(doc::applyDefaultExtension(QStringLiteral("/home/u/.config/notes"),
                                         QStringLiteral("txt")),
              QStringLiteral("/home/u/.config/notes.txt"));
    EXPECT_EQ(doc::applyDefaultExtension(QStringLiteral("/a.b/c.md"), QStringLiteral("txt")),
              QStringLiteral("/a.b/c.md"));
}

TEST_F(FilesTest, SaveAsAddsTheExtensionBeforeAskingAboutReplacing)
{
    const QString existing = writeFile(QStringLiteral("notes.txt"), "keep me\n");
    CRidereDoc *doc = qobject_cast<CRidereDoc *>(m_app->newDocument());
    ASSERT_NE(doc, nullptr);
    doc->editor()->sendText(Sci::SCI_ADDTEXT, 4, "new\n");
    // The user types "notes" with the text filter chosen.
    int asked = 0;
    CFileDialogEx::setSaveHook([&](CFileDialogEx::SaveChoice &choice, const QString &) {
        ++asked;
        choice.path = m_dir.filePath(QStringLiteral("notes"));
        choice.defaultExtension = QStringLiteral("txt");
        return true;
    });
    m_answer = QMessageBox::No;
    EXPECT_FALSE(run(Cmd::FileSaveAs) && doc->pathName() == existing);
    ASSERT_FALSE(m_messages.isEmpty());
    EXPECT_TRUE(m_messages.last().contains(QDir::toNativeSeparators(existing)))
        << m_messages.last().toStdString();
    EXPECT_EQ(readFile(existing), QByteArray("keep me\n")) << "No leaves the file alone";
    EXPECT_TRUE(doc->isModified());
    m_answer = QMessageBox::Yes;
    ASSERT_TRUE(run(Cmd::FileSaveAs));
    EXPECT_EQ(readFile(existing), QByteArray("new\n"));
    EXPECT_EQ(doc->pathName(), existing);
    EXPECT_EQ(asked, 2);
}

} // namespace
