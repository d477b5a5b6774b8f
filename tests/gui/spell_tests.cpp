// "Spell Checker" (F7) in the running program with the system's English dictionary: stepping
// through a document, the four buttons, the messages, the selection kept, and a missing library.
#include "app/mainframehost.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "spell/engine/aspellbinding.h"
#include "spell/spellcheckdialog.h"
#include "spell/spellcommands.h"
#include "tests/support/appfixture.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace pw;
using pw::test::AppFixture;

namespace {

class SpellTest : public AppFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        CSpellCheckDialog::setHomeDirForTesting(m_home.path());
        AppFixture::SetUp();
    }
    void TearDown() override
    {
        SpellCommands::setRunHook({});
        CSpellCheckDialog::setHomeDirForTesting({});
        CSpellCheckDialog::setQuietRunMs(300);
        AppFixture::TearDown();
    }
    CMFCScintilla *openText(const QByteArray &text)
    {
        CRidereDoc *doc = open(writeFile(QStringLiteral("words.txt"), text));
        return doc ? doc->editor() : nullptr;
    }
    static void click(CSpellCheckDialog &dialog, const char *button)
    {
        dialog.findChild<QPushButton *>(QString::fromLatin1(button))->click();
    }
    static QByteArray selected(CMFCScintilla *ed)
    {
        return ed->textRange(ed->send(Sci::SCI_GETSELECTIONSTART),
                             ed->send(Sci::SCI_GETSELECTIONEND));
    }
    QString complete() const { return resourceText(Str::SpellComplete); }
    QString failed() const { return resourceText(Str::SpellInitFailed); }

    QTemporaryDir m_home;
};

TEST_F(SpellTest, StepsThroughEveryWordAndTheDocumentComesOutCorrected)
{
    CMFCScintilla *ed = openText("Teh wrld is big\nand teh sky tëh blue.\nzorblax here zorblax\n");
    ASSERT_TRUE(ed);
    const long end = ed->send(Sci::SCI_GETLENGTH);
    ed->send(Sci::SCI_GOTOPOS, end);
    QStringList seen;
    SpellCommands::setRunHook([&](CSpellCheckDialog &dialog) {
        auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("notInDictionary"));
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("suggestions"));
        auto *change = dialog.findChild<QPushButton *>(QStringLiteral("change"));
        // "Teh": choose "The" among the suggestions.
        seen << dialog.word();
        EXPECT_EQ(QString::fromUtf8(selected(ed)), dialog.word());
        EXPECT_TRUE(dialog.findChild<QLabel *>(QStringLiteral("context"))
                        ->text()
                        .contains(QStringLiteral("<b>Teh</b> wrld is big")));
        const QList<QListWidgetItem *> the =
            list->findItems(QStringLiteral("The"), Qt::MatchExactly);
        ASSERT_EQ(the.size(), 1);
        list->setCurrentItem(the.first());
        click(dialog, "change");
        // "wrld" follows on the same line, moved by nothing; a longer word for it moves the rest.
        seen << dialog.word();
        EXPECT_FALSE(list->findItems(QStringLiteral("world"), Qt::MatchExactly).isEmpty());
        QTest::keyClicks(edit, QStringLiteral("x"));
        EXPECT_FALSE(list->isEnabled());
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("wrld"));
        EXPECT_FALSE(change->isEnabled()) << "the text equals the word again";
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("wonderful world"));
        click(dialog, "change");
        // "teh" on line 2, then the accented word, whole.
        seen << dialog.word();
        EXPECT_EQ(selected(ed), QByteArray("teh"));
        click(dialog, "ignore");
        seen << dialog.word();
        EXPECT_EQ(selected(ed), QByteArray("tëh"));
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("the"));
        click(dialog, "change");
        // Ignore All with edited text adds the edited text: both zorblax are still reported.
        seen << dialog.word();
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("zorblaxes"));
        click(dialog, "ignoreAll");
        seen << dialog.word();
        EXPECT_EQ(selected(ed), QByteArray("zorblax"));
        click(dialog, "ignoreAll");
        EXPECT_FALSE(dialog.isVisible());
    });
    ASSERT_TRUE(run(Cmd::SpellChecker));
    EXPECT_EQ(seen, (QStringList{"Teh", "wrld", "teh", "tëh", "zorblax", "zorblax"}));
    EXPECT_EQ(
        editorText(activeDoc()),
        QByteArray("The wonderful world is big\nand teh sky the blue.\nzorblax here zorblax\n"));
    EXPECT_EQ(m_messages, QStringList{complete()});
    // The caret was at the end; it stays at the end of the same text.
    EXPECT_EQ(ed->send(Sci::SCI_GETCURRENTPOS), ed->send(Sci::SCI_GETLENGTH));
    EXPECT_EQ(ed->send(Sci::SCI_GETANCHOR), ed->send(Sci::SCI_GETLENGTH));
}

TEST_F(SpellTest, AddToDictionaryWritesTheTemporaryPersonalListAndLaterRunsAcceptTheWord)
{
    CMFCScintilla *ed = openText("one quibbletron\nand wrld");
    ASSERT_TRUE(ed);
    SpellCommands::setRunHook([](CSpellCheckDialog &dialog) {
        EXPECT_EQ(dialog.word(), QStringLiteral("quibbletron"));
        click(dialog, "addToDictionary");
        EXPECT_EQ(dialog.word(), QStringLiteral("wrld"));
        click(dialog, "close");
    });
    ASSERT_TRUE(run(Cmd::SpellChecker));
    const QStringList lists =
        QDir(m_home.path()).entryList({QStringLiteral("*.pws")}, QDir::Files | QDir::Hidden);
    ASSERT_EQ(lists.size(), 1);
    EXPECT_TRUE(readFile(QDir(m_home.path()).filePath(lists.first())).contains("quibbletron"));

    QStringList words;
    SpellCommands::setRunHook([&](CSpellCheckDialog &dialog) { words << dialog.word(); });
    ASSERT_TRUE(run(Cmd::SpellChecker));
    EXPECT_EQ(words, QStringList{"wrld"});
}

TEST_F(SpellTest, APersonalListThatCannotBeWrittenSaysSoWhenTheRunEnds)
{
    const QString blocker = writeFile(QStringLiteral("plain-file"), "x");
    CSpellCheckDialog::setHomeDirForTesting(blocker);
    ASSERT_TRUE(openText("quibbletron"));
    SpellCommands::setRunHook([](CSpellCheckDialog &dialog) { click(dialog, "addToDictionary"); });
    ASSERT_TRUE(run(Cmd::SpellChecker));
    ASSERT_EQ(m_messages.size(), 2);
    EXPECT_TRUE(m_messages.at(0).startsWith(
        resourceText(Str::SpellPersonalNotSaved).section(QLatin1Char('\n'), 0, 0)));
    EXPECT_TRUE(m_messages.at(0).contains(blocker));
    EXPECT_EQ(m_messages.at(1), complete());
}

TEST_F(SpellTest, EdgeCasesGiveTheMessagesAndKeepTheSelection)
{
    struct Case
    {
        const char *name;
        QByteArray text;
        long anchor, caret;
        QStringList words;
        bool found;
    };
    const std::vector<Case> cases = {
        {"empty document", "", 0, 0, {}, false},
        {"no letters", "1234 -- 56.7 !!", 3, 3, {}, false},
        {"one-character selection", "x wrld", 0, 1, {}, false},
        {"selection leaves out the words around it", "wrld good teh\nfine", 9, 5, {}, false},
        {"selection over two lines", "wrld good teh\nmore wrld", 4, 22, {"teh", "wrl"}, true},
    };
    for (const Case &c : cases) {
        m_messages.clear();
        CMFCScintilla *ed = openText(c.text);
        ASSERT_TRUE(ed) << c.name;
        ed->send(Sci::SCI_SETSEL, c.anchor, c.caret);
        QStringList words;
        SpellCommands::setRunHook([&](CSpellCheckDialog &dialog) {
            while (dialog.isVisible()) {
                words << dialog.word();
                click(dialog, "ignore");
            }
        });
        ASSERT_TRUE(run(Cmd::SpellChecker)) << c.name;
        EXPECT_EQ(words, c.words) << c.name;
        const QStringList expected = c.found            ? QStringList{complete()}
                                     : c.text.isEmpty() ? QStringList{complete()}
                                                        : QStringList{failed(), complete()};
        EXPECT_EQ(m_messages, expected) << c.name;
        EXPECT_EQ(ed->send(Sci::SCI_GETANCHOR), c.anchor) << c.name;
        EXPECT_EQ(ed->send(Sci::SCI_GETCURRENTPOS), c.caret) << c.name;
        activeDoc()->frame()->closeWithoutAsking();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(SpellTest, ALongSearchShowsProgressAndStopsWithNothingChangedOrReported)
{
    QByteArray text;
    while (text.size() < 10 * 1024 * 1024)
        text += "the quick brown fox jumps over the lazy dog\n";
    CMFCScintilla *ed = openText(text + "wrld");
    ASSERT_TRUE(ed);
    // A document is read in by parts; until it is all there the command waits.
    EXPECT_FALSE(activeDoc()->isLoading() && state(Cmd::SpellChecker).enabled);
    ASSERT_TRUE(waitLoaded(activeDoc()));
    ed->send(Sci::SCI_GOTOPOS, 7);
    bool dialogShown = false;
    SpellCommands::setRunHook([&](CSpellCheckDialog &) { dialogShown = true; });
    CSpellCheckDialog::setQuietRunMs(0);
    // Runs at the first chance the progress gives the window: Escape stops the run.
    QTimer::singleShot(0, frame(), [this] { QTest::keyClick(frame(), Qt::Key_Escape); });
    ASSERT_TRUE(run(Cmd::SpellChecker));
    EXPECT_FALSE(dialogShown);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(ed->send(Sci::SCI_GETANCHOR), 7);
    EXPECT_EQ(ed->send(Sci::SCI_GETCURRENTPOS), 7);
    EXPECT_EQ(ed->send(Sci::SCI_GETLENGTH), text.size() + 4);
}

TEST_F(SpellTest, WithoutTheLibraryTheProgramStartsAndTheCommandSaysItCannotSpell)
{
    // The default dictionary folder holds no dictionaries yet: the system's are listed.
    QComboBox box;
    {
        CSpellCheckDialog lister(*m_app->host(), nullptr);
        EXPECT_TRUE(lister.fillDictionaryList(&box, QString(), QString()));
        EXPECT_EQ(box.currentText(), QStringLiteral("en_US"));
        EXPECT_GT(box.count(), 1);
    }
    spell::AspellLibrary &library = spell::AspellLibrary::instance();
    ASSERT_TRUE(closeApp());
    library.unload();
    library.setFileName(QStringLiteral("libaspell-missing-for-tests.so.15"));
    startApp();
    ASSERT_TRUE(m_app && frame());
    ASSERT_TRUE(openText("teh wrld"));
    EXPECT_TRUE(state(Cmd::SpellChecker).enabled);
    ASSERT_TRUE(run(Cmd::SpellChecker));
    EXPECT_EQ(m_messages, (QStringList{failed(), complete()}));
    CSpellCheckDialog lister(*m_app->host(), nullptr);
    EXPECT_FALSE(lister.fillDictionaryList(&box, QString(), QString()));
    EXPECT_EQ(box.count(), 0);
    library.setFileName(spell::AspellLibrary::defaultFileName());
    EXPECT_TRUE(library.load());
}

} // namespace
