// Choosing a document's language: by extension, from "Color Document As" and from "More ...".
#include "editor/filedialogex.h"
#include "editor/ridereframe.h"
#include "editor/ridereview.h"
#include "resources/commandids.h"
#include "tests/support/appfixture.h"

#include <QTest>

using namespace pw;
using namespace Qt::StringLiterals;
using pw::test::AppFixture;

class LanguageSelectionTest : public AppFixture
{
protected:
    QString lexerOf(CRidereDoc *doc)
    {
        QByteArray name(64, '\0');
        doc->editor()->send(Sci::SCI_GETLEXERLANGUAGE, 0, reinterpret_cast<long>(name.data()));
        return QString::fromLatin1(name.constData());
    }
    int indexOf(const QString &label)
    {
        LanguageList &list = frame()->languages();
        for (int i = 0; i < list.count(); ++i) {
            if (list.get(i).menuLabel == label)
                return i;
        }
        return -1;
    }
};

// The extension chooses; without one that is known, the file's name or its first line.
TEST_F(LanguageSelectionTest, TheShippedLanguagesColourByExtensionNameOrFirstLine)
{
    ASSERT_GT(frame()->languages().count(), 30) << "the build copies the Config folder";
    const struct
    {
        const char *file;
        const char *content;
        const char *lexer;
        int lexerId; // the function list's language, when it has one
    } rows[] = {
        {"a.py", "x = 1\n", "python", 22},
        {"d.sql", "x = 1\n", "sql", 17},
        {"notes.TXT", "x = 1\n", "null", -1},
        {"Makefile", "all:\n\tcc -o a a.c\n", "makefile", 31},
        {"deploy", "#!/usr/bin/env bash\nset -e\n", "bash", 26},
        {"settings", "# -*- mode: python -*-\nx = 1\n", "python", 22},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.file);
        CRidereDoc *doc = open(writeFile(QString::fromLatin1(row.file), row.content));
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(lexerOf(doc), QString::fromLatin1(row.lexer));
        if (row.lexerId > 0) {
            EXPECT_EQ(doc->languageId(), row.lexerId);
        }
    }
}

TEST_F(LanguageSelectionTest, MenuChangesBothTheColouringAndTheFunctionListLanguage)
{
    CRidereDoc *doc = open(writeFile(u"x.py"_s, "def f():\n    pass\n"));
    ASSERT_NE(doc, nullptr);
    const int lua = indexOf(u"Lua"_s);
    ASSERT_GE(lua, 0);
    ASSERT_LE(lua, 20) << "Lua sits among the first 21 entries";
    ASSERT_TRUE(run(Cmd::ColorDocumentAs + lua));
    EXPECT_EQ(lexerOf(doc), u"lua"_s);
    EXPECT_EQ(doc->languageId(), 23);
    EXPECT_TRUE(state(Cmd::ColorDocumentAs + lua).checked);

    // Languages past the 21st are reached through "More ...", which colours the text only: the
    // function list keeps the document's language.
    const int perl = indexOf(u"Perl"_s);
    ASSERT_GT(perl, 20);
    CRidereView::setViewAsHook([&](const QStringList &labels, int &index) {
        EXPECT_EQ(labels.size(), frame()->languages().count());
        EXPECT_EQ(index, lua) << "the dialog starts at the current language";
        index = perl;
        return true;
    });
    ASSERT_TRUE(run(Cmd::ColorDocumentAsMore));
    CRidereView::setViewAsHook({});
    EXPECT_EQ(lexerOf(doc), u"perl"_s);
    EXPECT_EQ(doc->languageId(), 23);

    // A font change brings back the language the document recorded.
    frame()->setFontDialogHook([](QFont &) { return true; });
    ASSERT_TRUE(run(Cmd::ViewFont));
    EXPECT_EQ(lexerOf(doc), u"lua"_s);
}

TEST_F(LanguageSelectionTest, SaveAsWithAnotherExtensionChoosesAgain)
{
    CRidereDoc *doc = open(writeFile(u"s.txt"_s, "select 1;\n"));
    ASSERT_NE(doc, nullptr);
    const int lua = indexOf(u"Lua"_s);
    ASSERT_TRUE(run(Cmd::ColorDocumentAs + lua));
    QString target = m_dir.filePath(u"s2.txt"_s);
    CFileDialogEx::setSaveHook([&](CFileDialogEx::SaveChoice &choice, const QString &) {
        choice.path = target;
        return true;
    });
    ASSERT_TRUE(run(Cmd::FileSaveAs));
    EXPECT_EQ(lexerOf(doc), u"lua"_s) << "same extension keeps the hand-made choice";
    target = m_dir.filePath(u"s3.sql"_s);
    ASSERT_TRUE(run(Cmd::FileSaveAs));
    CFileDialogEx::setSaveHook({});
    EXPECT_EQ(lexerOf(doc), u"sql"_s);
    EXPECT_EQ(doc->languageId(), 17);
}

TEST_F(LanguageSelectionTest, CommentUsesTheLanguagesMarker)
{
    CRidereDoc *doc = open(writeFile(u"k.py"_s, "a = 1\nb = 2\n"));
    ASSERT_NE(doc, nullptr);
    doc->editor()->send(Sci::SCI_SETSEL, 0, 8);
    ASSERT_TRUE(run(Cmd::CommentLines));
    EXPECT_EQ(editorText(doc), QByteArray("# a = 1\n# b = 2\n"));
    ASSERT_TRUE(run(Cmd::UnCommentLines));
    EXPECT_EQ(editorText(doc), QByteArray("a = 1\nb = 2\n"));
}

// A hand-made choice outlives a reload of a file whose first line says otherwise; a Save As
// under a name that says something chooses again.
TEST_F(LanguageSelectionTest, AHandChoiceOutlivesAReloadButNotANewName)
{
    CRidereDoc *doc = open(writeFile(u"runner"_s, "#!/bin/sh\necho 1\n"));
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(lexerOf(doc), u"bash"_s);
    const int lua = indexOf(u"Lua"_s);
    ASSERT_TRUE(run(Cmd::ColorDocumentAs + lua));
    writeFile(u"runner"_s, "#!/bin/sh\necho 22\n");
    doc->checkFileOnDisk();
    ASSERT_TRUE(QTest::qWaitFor([&] { return editorText(doc).contains("echo 22"); }, 5000));
    EXPECT_EQ(lexerOf(doc), u"lua"_s);
    EXPECT_EQ(doc->languageId(), 23);

    CFileDialogEx::setSaveHook([&](CFileDialogEx::SaveChoice &choice, const QString &) {
        choice.path = m_dir.filePath(u"GNUmakefile"_s);
        return true;
    });
    ASSERT_TRUE(run(Cmd::FileSaveAs));
    CFileDialogEx::setSaveHook({});
    EXPECT_EQ(lexerOf(doc), u"makefile"_s);
}
