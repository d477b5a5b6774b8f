// Macros in the running program: recording typed text and caret moves, the file it lands in,
// running it in another window as one undo step, the dialogs' checks, and crafted files.
#include "editor/ridereview.h"
#include "macros/engine/macrofile.h"
#include "macros/engine/macrorecorder.h"
#include "macros/macrocommands.h"
#include "macros/macrodialogs.h"
#include "resources/commandids.h"
#include "settings/registrysettings.h"
#include "tests/support/appfixture.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <deque>

using namespace pw;
using pw::test::AppFixture;

namespace {

// What the next dialogs do, in order: a name to enter and OK, or a list row to act on.
struct DialogStep
{
    QString name;   // CNewMacroDialog: the name typed before OK ("" cancels)
    QString pick;   // CMacroDialog: the macro selected
    QString button; // CMacroDialog: the button pressed then
};

DialogStep named(const QString &name)
{
    return {name, {}, {}};
}
DialogStep chosen(const QString &pick, const QString &button = QStringLiteral("&Run"))
{
    return {{}, pick, button};
}

class MacrosTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        setMacroDialogHook([this](QDialog &dialog) { return answer(dialog); });
    }
    void TearDown() override
    {
        setMacroDialogHook({});
        AppFixture::TearDown();
    }

    int answer(QDialog &dialog)
    {
        m_titles << dialog.windowTitle();
        m_opacities << dialog.windowOpacity();
        if (m_script.empty())
            return QDialog::Rejected;
        const DialogStep step = m_script.front();
        m_script.pop_front();
        if (qobject_cast<CNewMacroDialog *>(&dialog)) {
            if (step.name.isEmpty())
                return QDialog::Rejected;
            dialog.findChild<QLineEdit *>()->setText(step.name);
            dialog.accept();
            return dialog.result();
        }
        m_listed = macroList(dialog);
        auto *list = dialog.findChild<QListWidget *>();
        const auto found = list->findItems(step.pick, Qt::MatchExactly);
        if (found.isEmpty())
            return QDialog::Rejected;
        list->setCurrentItem(found.front());
        for (auto *button : dialog.findChildren<QPushButton *>()) {
            if (button->text() == step.button) {
                button->click();
                break;
            }
        }
        m_listedAfter = macroList(dialog);
        return dialog.result();
    }
    static QStringList macroList(QDialog &dialog)
    {
        QStringList names;
        auto *list = dialog.findChild<QListWidget *>();
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }

    MacroCommands *commands() const { return frame()->findChild<MacroCommands *>(); }
    CRidereView *view(CRidereDoc *doc) const { return doc->view(); }
    CRidereDoc *openText(const QString &name, const QByteArray &text)
    {
        CRidereDoc *doc = open(writeFile(name, text));
        if (doc)
            waitLoaded(doc);
        return doc;
    }
    void record(CRidereDoc *doc, const QString &name, const std::function<void()> &edits)
    {
        m_script.push_back(named(name));
        ASSERT_TRUE(run(Cmd::MacroRecord));
        ASSERT_TRUE(commands()->isRecording(view(doc)));
        EXPECT_TRUE(state(Cmd::MacroStopRecording).enabled);
        EXPECT_FALSE(state(Cmd::MacroRecord).enabled);
        EXPECT_FALSE(state(Cmd::MacroRun).enabled);
        edits();
        ASSERT_TRUE(run(Cmd::MacroStopRecording));
        EXPECT_FALSE(commands()->isRecording(view(doc)));
    }
    static void type(CRidereDoc *doc, const QString &keys)
    {
        QTest::keyClicks(doc->editor(), keys);
    }

    std::deque<DialogStep> m_script;
    QStringList m_titles;
    QList<double> m_opacities;
    QStringList m_listed;
    QStringList m_listedAfter;
};

} // namespace

TEST_F(MacrosTest, TypedTextAndCaretMovesAreRecordedAndSaved)
{
    CRidereDoc *doc = openText(QStringLiteral("one.txt"), "12345\n");
    ASSERT_TRUE(doc);
    EXPECT_FALSE(state(Cmd::MacroStopRecording).enabled);
    record(doc, QStringLiteral("Typing"), [&] {
        type(doc, QStringLiteral("ab"));
        QTest::keyClick(doc->editor(), Qt::Key_Right);
    });
    EXPECT_EQ(editorText(doc), QByteArray("ab12345\n"));

    const std::deque<MacroStep> expected{{2170, 0, 0, "a"}, {2170, 0, 0, "b"}, {2306, 0, 0, ""}};
    EXPECT_EQ(commands()->recorder(view(doc)).steps(), expected);
    MacroRecorder fromFile(MacroCommands::macrosFile());
    ASSERT_EQ(fromFile.load(QStringLiteral("Typing")), MacroRecorder::LoadResult::Loaded);
    EXPECT_EQ(fromFile.steps(), expected);
    const QByteArray xml = readFile(MacroCommands::macrosFile());
    EXPECT_TRUE(xml.contains(R"(<step msg="2170" wparam="0" lparam="0" sparam="b"/>)"))
        << xml.constData();
}

TEST_F(MacrosTest, AMacroRunsInAnotherDocumentAndOneUndoRevertsIt)
{
    CRidereDoc *first = openText(QStringLiteral("first.txt"), "");
    ASSERT_TRUE(first);
    record(first, QStringLiteral("Wrap"), [&] {
        QTest::keyClick(first->editor(), Qt::Key_Home);
        type(first, QStringLiteral("<"));
        QTest::keyClick(first->editor(), Qt::Key_End);
        type(first, QStringLiteral(">"));
        QTest::keyClick(first->editor(), Qt::Key_Down);
    });
    CRidereDoc *second = openText(QStringLiteral("second.txt"), "one\ntwo\n");
    ASSERT_TRUE(second);
    ASSERT_EQ(activeDoc(), second);
    second->editor()->send(Sci::SCI_EMPTYUNDOBUFFER);

    m_script.push_back(chosen(QStringLiteral("Wrap")));
    ASSERT_TRUE(run(Cmd::MacroRun));
    m_script.push_back(chosen(QStringLiteral("Wrap")));
    ASSERT_TRUE(run(Cmd::MacroRun));
    EXPECT_EQ(editorText(second), QByteArray("<one>\n<two>\n"));
    EXPECT_TRUE(second->isModified());
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(u'\n').toStdString();

    ASSERT_TRUE(run(Cmd::EditUndo));
    EXPECT_EQ(editorText(second), QByteArray("<one>\ntwo\n"));
    ASSERT_TRUE(run(Cmd::EditUndo));
    EXPECT_EQ(editorText(second), QByteArray("one\ntwo\n"));
    EXPECT_FALSE(second->editor()->canUndo());
    EXPECT_FALSE(second->isModified());
}

TEST_F(MacrosTest, RecordingWorksOnTextsOfAMegabyteAndMore)
{
    QByteArray big(CMFCScintilla::QuietDocumentBytes + 4096, 'x');
    big.append('\n');
    CRidereDoc *doc = openText(QStringLiteral("big.txt"), big);
    ASSERT_TRUE(doc);
    ASSERT_GE(doc->editor()->send(Sci::SCI_GETLENGTH), CMFCScintilla::QuietDocumentBytes);
    record(doc, QStringLiteral("Big"), [&] {
        type(doc, QStringLiteral("q"));
        QTest::keyClick(doc->editor(), Qt::Key_Left);
    });
    const std::deque<MacroStep> expected{{2170, 0, 0, "q"}, {2304, 0, 0, ""}};
    EXPECT_EQ(commands()->recorder(view(doc)).steps(), expected);
}

TEST_F(MacrosTest, TheDialogsRefuseDuplicatesRenameAndDelete)
{
    CRidereDoc *doc = openText(QStringLiteral("d.txt"), "");
    ASSERT_TRUE(doc);
    record(doc, QStringLiteral("Alpha"), [] {});
    record(doc, QStringLiteral("Beta"), [] {});

    // A name already in the file keeps the dialog open with its message; cancel then.
    m_messages.clear();
    m_script.push_back(named(QStringLiteral("Alpha")));
    ASSERT_TRUE(run(Cmd::MacroRecord));
    EXPECT_FALSE(commands()->isRecording(view(doc)));
    EXPECT_EQ(m_messages, QStringList{QStringLiteral("There is already a macro named Alpha")});

    // Rename: the list is newest first, and the new name goes through the same check.
    m_messages.clear();
    m_script.push_back(chosen(QStringLiteral("Alpha"), QStringLiteral("R&ename")));
    m_script.push_back(named(QStringLiteral("Beta")));
    run(Cmd::MacroRun);
    EXPECT_EQ(m_listed, (QStringList{QStringLiteral("Beta"), QStringLiteral("Alpha")}));
    EXPECT_EQ(m_messages.size(), 1);
    m_script.clear();
    m_script.push_back(chosen(QStringLiteral("Alpha"), QStringLiteral("R&ename")));
    m_script.push_back(named(QStringLiteral("Gamma & <Delta>")));
    run(Cmd::MacroRun);
    EXPECT_EQ(m_titles.last(), QStringLiteral("Rename Macro"));
    EXPECT_EQ(m_listedAfter,
              (QStringList{QStringLiteral("Beta"), QStringLiteral("Gamma & <Delta>")}));

    // Delete asks first; No keeps it, Yes removes it.
    m_messages.clear();
    m_answer = QMessageBox::No;
    m_script.push_back(chosen(QStringLiteral("Beta"), QStringLiteral("&Delete")));
    run(Cmd::MacroRun);
    EXPECT_EQ(m_messages,
              QStringList{QStringLiteral("Are you sure that you want to delete Beta?")});
    EXPECT_EQ(m_listedAfter.size(), 2);
    m_answer = QMessageBox::Yes;
    m_script.push_back(chosen(QStringLiteral("Beta"), QStringLiteral("&Delete")));
    run(Cmd::MacroRun);
    EXPECT_EQ(macrofile::names(MacroCommands::macrosFile()),
              QStringList{QStringLiteral("Gamma & <Delta>")});
    // Both dialogs follow the semi-transparent rule, which is on by default.
    EXPECT_TRUE(std::all_of(m_opacities.begin(), m_opacities.end(),
                            [](double opacity) { return opacity < 1.0; }));
    EXPECT_TRUE(RegistrySettings().dialogPlacement(QStringLiteral("MacroDialog")).has_value());
    EXPECT_TRUE(RegistrySettings().dialogPlacement(QStringLiteral("NewMacroDialog")).has_value());
}

TEST_F(MacrosTest, ACraftedFileRunsOnlyWhatRecordingCouldProduce)
{
    const QByteArray crafted = R"(<?xml version="1.0" encoding="UTF-8"?>
<macros><macro name="Evil">
<step msg="2170" wparam="0" lparam="123456" sparam=""/>
<step msg="2170" wparam="0" lparam="0" sparam="ok"/>
<step msg="2182" wparam="100" lparam="4096" sparam=""/>
<step msg="2001" wparam="100000" lparam="8" sparam="!"/>
<step msg="2056" wparam="4000000000" lparam="0" sparam="Courier"/>
<step msg="abc" wparam="1" lparam="1" sparam=""/>
<step msg="2025" wparam="999999" lparam="0" sparam=""/>
</macro></macros>)";
    QDir().mkpath(QFileInfo(MacroCommands::macrosFile()).absolutePath());
    writeFile(QStringLiteral("crafted.xml"), crafted);
    QFile::copy(m_dir.filePath(QStringLiteral("crafted.xml")), MacroCommands::macrosFile());
    CRidereDoc *doc = openText(QStringLiteral("t.txt"), "x");
    ASSERT_TRUE(doc);
    m_script.push_back(chosen(QStringLiteral("Evil")));
    ASSERT_TRUE(run(Cmd::MacroRun));
    EXPECT_EQ(editorText(doc), QByteArray("ok!x"));
    EXPECT_EQ(doc->editor()->send(Sci::SCI_GETCURRENTPOS), 4);
    EXPECT_EQ(m_messages, QStringList{QStringLiteral(
                              "Macro step 3 uses message 2182, which cannot be replayed")});

    // A file too large to read is said so when the list opens, and nothing runs.
    QFile big(MacroCommands::macrosFile());
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(macrolimits::MaxFileBytes + 1));
    big.close();
    m_messages.clear();
    m_script.push_back(chosen(QStringLiteral("Evil")));
    run(Cmd::MacroRun);
    EXPECT_TRUE(m_listed.isEmpty());
    EXPECT_EQ(
        m_messages,
        QStringList{MacroCommands::macrosFile() +
                    QStringLiteral(" is larger than 16 MB and cannot be read as a macro file")});
    EXPECT_EQ(editorText(doc), QByteArray("ok!x"));
}
