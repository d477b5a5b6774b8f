// Find in Files through the running program: the dialog's options, histories and button states,
// results streaming into the pane, and a double click opening the right line.
#include "../support/appfixture.h"

#include "findinfiles/findinfilesdlg.h"
#include "findinfiles/findinfilesresults.h"
#include "findinfiles/smartcombobox.h"
#include "resources/commandids.h"
#include "search/toolbarfindcombobox.h"
#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace pw::test {

namespace {

class FindInFilesTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("tree/sub")));
        m_file = writeFile(QStringLiteral("tree/one.txt"),
                           "alpha\nneedle one\nbeta\n  needle two\n");
        writeFile(QStringLiteral("tree/sub/two.c"), "no match here\n");
        m_folder = m_dir.filePath(QStringLiteral("tree"));
    }

    CFindInFilesDlg *openDialog()
    {
        EXPECT_TRUE(run(Cmd::FindInFiles));
        return frame()->findChild<CFindInFilesDlg *>();
    }
    CFindInFilesResults *results() const { return frame()->findChild<CFindInFilesResults *>(); }
    void search(CFindInFilesDlg *dialog, const QString &text)
    {
        QSignalSpy finished(dialog, &CFindInFilesDlg::searchFinished);
        dialog->searchBox()->setEditText(text);
        dialog->folderBox()->setEditText(m_folder);
        dialog->findButton()->click();
        // Until the end is reported, only Stop can be pressed.
        EXPECT_TRUE(dialog->stopButton()->isEnabled());
        EXPECT_FALSE(dialog->findButton()->isEnabled());
        EXPECT_FALSE(dialog->closeButton()->isEnabled());
        ASSERT_TRUE(finished.wait(10000));
        EXPECT_FALSE(dialog->stopButton()->isEnabled());
        EXPECT_TRUE(dialog->findButton()->isEnabled());
        EXPECT_TRUE(dialog->closeButton()->isEnabled());
    }
    QStringList lines() const
    {
        QStringList out;
        for (int i = 0; i < results()->lineCount(); ++i)
            out << results()->lineText(i);
        return out;
    }

    QString m_file;
    QString m_folder;
};

} // namespace

TEST_F(FindInFilesTest, ResultsStreamIntoThePaneAndADoubleClickOpensTheLine)
{
    CFindInFilesDlg *dialog = openDialog();
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(dialog->stopButton()->isEnabled());
    dialog->subFoldersBox()->setChecked(true);
    search(dialog, QStringLiteral("needle"));

    EXPECT_EQ(lines(), (QStringList{
                           QStringLiteral("Searching %1...").arg(m_folder),
                           QStringLiteral("%1 (2): needle one").arg(m_file),
                           QStringLiteral("%1 (4):   needle two").arg(m_file),
                           QStringLiteral("2 matches in 1 files (2 files searched)"),
                       }));

    // A double click on the second result opens the file with the caret on "needle two".
    results()->scrollToTop();
    const QRect second = results()->visualRect(results()->model()->index(2, 0));
    ASSERT_TRUE(second.isValid());
    QTest::mouseDClick(results()->viewport(), Qt::LeftButton, {}, second.center());
    CRidereDoc *doc = activeDoc();
    ASSERT_TRUE(doc);
    EXPECT_EQ(QFileInfo(doc->pathName()).canonicalFilePath(), QFileInfo(m_file).canonicalFilePath());
    QTRY_VERIFY(!doc->isLoading());
    CMFCScintilla *ed = doc->editor();
    QTRY_COMPARE(ed->send(Sci::SCI_GETCURRENTPOS), ed->send(Sci::SCI_POSITIONFROMLINE, 3) + 2);
    const auto windows = frame()->workspace().documentFrames().size();

    // A double click on a status line does nothing; on the first result it moves the caret in
    // the window already open.
    const QRect first = results()->visualRect(results()->model()->index(1, 0));
    QTest::mouseDClick(results()->viewport(), Qt::LeftButton, {},
                       results()->visualRect(results()->model()->index(0, 0)).center());
    EXPECT_EQ(ed->send(Sci::SCI_GETCURRENTPOS), ed->send(Sci::SCI_POSITIONFROMLINE, 3) + 2);
    QTest::mouseDClick(results()->viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(frame()->workspace().documentFrames().size(), windows);
    EXPECT_EQ(ed->send(Sci::SCI_GETCURRENTPOS), ed->send(Sci::SCI_POSITIONFROMLINE, 1));

    // Unsaved text is what is searched.
    ed->send(Sci::SCI_DOCUMENTSTART);
    ed->sendText(Sci::SCI_ADDTEXT, 14, "needle three\n\n");
    ASSERT_TRUE(doc->isModified());
    search(dialog, QStringLiteral("needle t"));
    EXPECT_EQ(lines().mid(1, 2), (QStringList{
                                     QStringLiteral("%1 (1): needle three").arg(m_file),
                                     QStringLiteral("%1 (6):   needle two").arg(m_file),
                                 }));
}

TEST_F(FindInFilesTest, StopWaitsForTheEndOfTheSearch)
{
    CFindInFilesDlg *dialog = openDialog();
    ASSERT_TRUE(dialog);
    QSignalSpy finished(dialog, &CFindInFilesDlg::searchFinished);
    dialog->searchBox()->setEditText(QStringLiteral("needle"));
    dialog->folderBox()->setEditText(m_folder);
    dialog->findButton()->click();
    dialog->stopButton()->click();
    // Stop gives way at once; Find and Close come back only with the end of the search.
    EXPECT_FALSE(dialog->stopButton()->isEnabled());
    EXPECT_FALSE(dialog->findButton()->isEnabled());
    EXPECT_FALSE(dialog->closeButton()->isEnabled());
    dialog->closeButton()->click();
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(dialog->findButton()->isEnabled());
    EXPECT_TRUE(dialog->closeButton()->isEnabled());
}

TEST_F(FindInFilesTest, OptionsHistoriesAndFileTypeComeBack)
{
    {
        XmlSettingsStore store(frame()->settingsFile());
        store.writeLabelExtension(QStringLiteral("FileFilter"), QStringLiteral("entry_1"),
                                  QStringLiteral("C files"), QStringLiteral("*.c; *.h"));
        store.writeLabelExtension(QStringLiteral("FileFilter"), QStringLiteral("entry_2"),
                                  QStringLiteral("Text"), QStringLiteral("*.txt"));
        // A stored index past the list selects "*.*".
        store.writeInt(settings::general::DefFInFExt, 7);
    }
    CFindInFilesDlg *dialog = openDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->typesBox()->entries(),
              (QStringList{QStringLiteral("*.*"), QStringLiteral("*.c; *.h"), QStringLiteral("*.txt")}));
    EXPECT_EQ(dialog->typesBox()->currentIndex(), 0);
    dialog->typesBox()->setCurrentIndex(1);
    dialog->matchCaseBox()->setChecked(true);
    dialog->regExpBox()->setChecked(true);
    dialog->subFoldersBox()->setChecked(true);
    // The spaces of the types are dropped; a regular expression in the component's syntax.
    search(dialog, QStringLiteral("^no \\w+ here$"));
    EXPECT_EQ(lines().value(1), QStringLiteral("%1 (1): no match here")
                                    .arg(m_dir.filePath(QStringLiteral("tree/sub/two.c"))));
    dialog->closeButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frame()->findChild<CFindInFilesDlg *>());
    // The toolbar's search box reads the history the dialog saved.
    auto *toolbarBox = frame()->findChild<CToolbarFindComboBox *>();
    ASSERT_TRUE(toolbarBox);
    EXPECT_EQ(toolbarBox->itemText(0), QStringLiteral("^no \\w+ here$"));

    dialog = openDialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->matchCaseBox()->isChecked());
    EXPECT_FALSE(dialog->wholeWordBox()->isChecked());
    EXPECT_TRUE(dialog->regExpBox()->isChecked());
    EXPECT_TRUE(dialog->subFoldersBox()->isChecked());
    EXPECT_EQ(dialog->typesBox()->currentIndex(), 1);
    EXPECT_EQ(dialog->searchBox()->itemText(0), QStringLiteral("^no \\w+ here$"));
    EXPECT_EQ(dialog->folderBox()->currentText(), m_folder);
}

// Completion looks from the second entry on and wraps to the first; deleting never completes.
TEST(SmartComboBoxTest, CompletesTypedTextFromTheList)
{
    using namespace Qt::StringLiterals;
    CSmartComboBox box;
    box.addItems({u"alpha"_s, u"beta"_s, u"Alphabet"_s});
    QLineEdit *edit = box.lineEdit();
    edit->clear();
    QTest::keyClicks(edit, u"al"_s);
    EXPECT_EQ(edit->text(), u"Alphabet"_s);
    EXPECT_EQ(edit->selectedText(), u"phabet"_s);
    edit->clear();
    QTest::keyClicks(edit, u"b"_s);
    EXPECT_EQ(edit->text(), u"beta"_s);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), u"b"_s);
    edit->clear();
    QTest::keyClicks(edit, u"x"_s);
    EXPECT_EQ(edit->text(), u"x"_s);
}

} // namespace pw::test
