// The shipped language files against the real editing component, and applying a language.
#include "editor/mfcscintilla.h"
#include "languages/engine/languagelist.h"
#include "settings/framesettings.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

using namespace pw;
using namespace Qt::StringLiterals;

namespace {

QString configDir()
{
    return QStringLiteral(PW_LANGUAGE_CONFIG_DIR);
}

QString fileName(const LanguageRecord &record)
{
    return QFileInfo(record.filePath).fileName();
}

// The rows of the language table of docs/LANGUAGES.md.
struct DocRow
{
    QString language;
    QString lexer;
    int lexerId = -1;
};

std::map<QString, DocRow> documentedLanguages()
{
    std::map<QString, DocRow> rows;
    QFile doc(QStringLiteral(PW_LANGUAGES_DOC));
    if (!doc.open(QIODevice::ReadOnly))
        return rows;
    const QStringList lines = QString::fromUtf8(doc.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        QStringList cells = line.split(QLatin1Char('|'));
        if (cells.size() != 7 || !cells[2].trimmed().endsWith(QLatin1String(".config")))
            continue;
        for (QString &cell : cells)
            cell = cell.trimmed();
        bool ok = false;
        const int id = cells[4].toInt(&ok);
        rows[cells[2]] = DocRow{cells[1], cells[3], ok ? id : -999};
    }
    return rows;
}

double luminance(quint32 colour)
{
    const auto channel = [](quint32 value) {
        const double c = double(value & 0xFF) / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour) + 0.7152 * channel(colour >> 8) +
           0.0722 * channel(colour >> 16);
}

double contrast(quint32 a, quint32 b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QString sampleFor(const LanguageRecord &record)
{
    const QString base = QFileInfo(record.filePath).completeBaseName();
    const QStringList found =
        QDir(QStringLiteral(PW_LANGUAGE_SAMPLES_DIR)).entryList({base + u".*"_s}, QDir::Files);
    return found.size() == 1 ? QDir(QStringLiteral(PW_LANGUAGE_SAMPLES_DIR)).filePath(found[0])
                             : QString();
}

class ShippedLanguages : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_list = new LanguageList;
        s_list->load(configDir());
    }
    static void TearDownTestSuite()
    {
        delete s_list;
        s_list = nullptr;
    }

    static LanguageList *s_list;
    CMFCScintilla m_editor;
};
LanguageList *ShippedLanguages::s_list = nullptr;

} // namespace

TEST_F(ShippedLanguages, EveryFileLoads)
{
    const QStringList files = QDir(configDir()).entryList({u"*.config"_s}, QDir::Files);
    ASSERT_GE(files.size(), 39);
    EXPECT_EQ(s_list->count(), files.size());
    EXPECT_TRUE(s_list->loadErrors().isEmpty()) << s_list->loadErrors().join(u'\n').toStdString();
}

TEST_F(ShippedLanguages, EveryLexerExistsInTheComponent)
{
    for (int i = 0; i < s_list->count(); ++i) {
        const LanguageRecord record = s_list->get(i);
        m_editor.send(Sci::SCI_SETLEXER, Sci::SCLEX_CONTAINER);
        m_editor.sendText(Sci::SCI_SETLEXERLANGUAGE, 0, record.lexerName.toLatin1().constData());
        const long lexer = m_editor.send(Sci::SCI_GETLEXER);
        if (record.lexerName == QLatin1String("null")) {
            EXPECT_EQ(lexer, Sci::SCLEX_NULL) << fileName(record).toStdString();
            continue;
        }
        EXPECT_NE(lexer, Sci::SCLEX_NULL) << fileName(record).toStdString();
        EXPECT_NE(lexer, Sci::SCLEX_CONTAINER) << fileName(record).toStdString();

        // A keyword set the lexer does not read would be a silent mistake.
        QByteArray described(int(m_editor.send(Sci::SCI_DESCRIBEKEYWORDSETS)) + 1, '\0');
        m_editor.sendPtr(Sci::SCI_DESCRIBEKEYWORDSETS, 0, described.data());
        const qsizetype sets = QByteArray(described.constData()).split('\n').size();
        if (described[0] != '\0') {
            EXPECT_LE(record.keywordSetCount, sets) << fileName(record).toStdString();
        }
    }
}

TEST_F(ShippedLanguages, StyleNumbersAreValidAndColoursReadable)
{
    for (int i = 0; i < s_list->count(); ++i) {
        const LanguageRecord record = s_list->get(i);
        const std::string name = fileName(record).toStdString();
        EXPECT_GE(record.styleCount, 1) << name;
        EXPECT_EQ(record.background, 0xFFFFFFu) << name;
        QSet<int> numbers;
        QSet<QString> names;
        for (int s = 0; s < record.styleCount; ++s) {
            const StyleEntry &style = record.styles[size_t(s)];
            EXPECT_TRUE(style.style >= 0 && style.style <= Sci::STYLE_MAX) << name;
            // 32 to 39 are the component's own styles (default, margins, braces, ...).
            EXPECT_FALSE(style.style >= Sci::STYLE_DEFAULT && style.style <= 39)
                << name << " style " << style.style;
            EXPECT_FALSE(numbers.contains(style.style)) << name << " style " << style.style;
            EXPECT_FALSE(names.contains(style.name)) << name << " " << style.name.toStdString();
            numbers.insert(style.style);
            names.insert(style.name);
            EXPECT_GE(contrast(style.foreground, style.background), 4.5)
                << name << " " << style.name.toStdString();
        }
    }
}

TEST_F(ShippedLanguages, LanguageNumbersMatchTheDocumentedTable)
{
    const std::map<QString, DocRow> documented = documentedLanguages();
    ASSERT_EQ(int(documented.size()), s_list->count()) << "one table row per shipped file";
    for (int i = 0; i < s_list->count(); ++i) {
        const LanguageRecord record = s_list->get(i);
        const auto row = documented.find(fileName(record));
        ASSERT_NE(row, documented.end()) << fileName(record).toStdString() << " has no row";
        const std::string name = fileName(record).toStdString();
        EXPECT_EQ(row->second.language, record.menuLabel) << name;
        EXPECT_EQ(row->second.lexer, record.lexerName) << name;
        EXPECT_EQ(row->second.lexerId, record.lexerId) << name;
        EXPECT_GT(record.lexerId, 0) << name;
    }
}

TEST_F(ShippedLanguages, EveryExtensionBelongsToItsLanguageAndTextIsTheDefault)
{
    int text = -1;
    for (int i = 0; i < s_list->count(); ++i) {
        const LanguageRecord record = s_list->get(i);
        if (record.matchesExtension(u".*"_s)) {
            EXPECT_EQ(text, -1) << "one catch-all language";
            text = i;
        }
        const QStringList tokens = record.extensions.split(u';', Qt::SkipEmptyParts);
        EXPECT_FALSE(tokens.isEmpty()) << fileName(record).toStdString();
        for (const QString &token : tokens) {
            EXPECT_TRUE(token.startsWith(u'.') && token == token.trimmed())
                << fileName(record).toStdString() << " " << token.toStdString();
            const LanguageChoice choice = chooseLanguageByExtension(*s_list, token.toUpper());
            EXPECT_EQ(choice.index, i) << token.toStdString() << " is taken by "
                                       << fileName(s_list->get(choice.index)).toStdString();
            EXPECT_EQ(choice.lexerId, record.lexerId);
        }
    }
    ASSERT_GE(text, 0);
    EXPECT_EQ(s_list->get(text).menuLabel, u"Text"_s);
    EXPECT_EQ(s_list->indexOfDefault(), text);
    EXPECT_EQ(chooseLanguageByExtension(*s_list, QString()).index, text);
    EXPECT_EQ(chooseLanguageByExtension(*s_list, u".unknownext"_s).index, text);
}

TEST_F(ShippedLanguages, EveryStyleTheLexerProducesOnTheSampleIsColoured)
{
    const FrameSettings options;
    m_editor.setupDefaults();
    for (int i = 0; i < s_list->count(); ++i) {
        const LanguageRecord record = s_list->get(i);
        const std::string name = fileName(record).toStdString();
        const QString sample = sampleFor(record);
        ASSERT_FALSE(sample.isEmpty()) << "no sample for " << name;
        QFile file(sample);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        m_editor.send(Sci::SCI_SETCODEPAGE, Sci::SC_CP_UTF8);
        m_editor.sendText(Sci::SCI_SETTEXT, 0, text.constData());
        m_editor.applyLanguage(record, options);

        QSet<int> listed;
        for (int s = 0; s < record.styleCount; ++s)
            listed.insert(record.styles[size_t(s)].style);
        std::map<int, long> unlisted; // style -> first position
        QSet<int> seen;
        const long length = m_editor.send(Sci::SCI_GETLENGTH);
        ASSERT_EQ(m_editor.send(Sci::SCI_GETENDSTYLED), length) << name;
        for (long pos = 0; pos < length; ++pos) {
            const int style = int(m_editor.send(Sci::SCI_GETSTYLEAT, pos));
            seen.insert(style);
            if (!listed.contains(style) && !unlisted.count(style))
                unlisted[style] = pos;
        }
        for (const auto &[style, pos] : unlisted) {
            ADD_FAILURE() << name << ": style " << style << " at line "
                          << m_editor.send(Sci::SCI_LINEFROMPOSITION, pos) + 1 << " is not listed";
        }
        if (record.lexerName != QLatin1String("null")) {
            EXPECT_GE(seen.size(), 4)
                << name << " colours its sample in only " << seen.size() << " styles";
        }
    }
}

namespace {
class ApplyLanguage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_editor.setupDefaults();
        m_list.load(configDir());
        m_options.tabAsSpaces = true;
        m_options.tabGuides = true;
        m_options.tabWidth = 3;
        m_options.braceBadColour = 0x0000FF;
        m_options.braceHighlight = 0x00AA00;
    }
    LanguageRecord language(const char *menuLabel) const
    {
        for (int i = 0; i < m_list.count(); ++i) {
            if (m_list.get(i).menuLabel == QLatin1String(menuLabel))
                return m_list.get(i);
        }
        ADD_FAILURE() << "no language " << menuLabel;
        return LanguageRecord::fallback();
    }
    void setText(const char *text) { m_editor.sendText(Sci::SCI_SETTEXT, 0, text); }
    int styleAt(const char *word) const
    {
        QByteArray all(int(m_editor.send(Sci::SCI_GETLENGTH)) + 1, '\0');
        m_editor.sendPtr(Sci::SCI_GETTEXT, all.size(), all.data());
        return int(m_editor.send(Sci::SCI_GETSTYLEAT, all.indexOf(word)));
    }
    bool allPlain() const
    {
        for (long pos = 0; pos < m_editor.send(Sci::SCI_GETLENGTH); ++pos) {
            if (m_editor.send(Sci::SCI_GETSTYLEAT, pos) != 0)
                return false;
        }
        return true;
    }

    CMFCScintilla m_editor;
    LanguageList m_list;
    FrameSettings m_options;
};
} // namespace

TEST_F(ApplyLanguage, SetsLexerKeywordsColoursTabsAndBraces)
{
    m_editor.send(Sci::SCI_STYLESETFORE, 28, 0x123456); // a style C++ does not list
    setText("int main() { return 0; } // note\n");
    const LanguageRecord cpp = language("C++");
    m_editor.applyLanguage(cpp, m_options);

    EXPECT_EQ(m_editor.send(Sci::SCI_GETLEXER), Sci::SCLEX_CPP);
    EXPECT_EQ(styleAt("return"), 5);
    EXPECT_EQ(styleAt("int"), 16) << "the second keyword set";
    EXPECT_EQ(styleAt("// note"), 2);
    for (int s = 0; s < cpp.styleCount; ++s) {
        const StyleEntry &entry = cpp.styles[size_t(s)];
        EXPECT_EQ(m_editor.send(Sci::SCI_STYLEGETFORE, entry.style), long(entry.foreground));
        EXPECT_EQ(m_editor.send(Sci::SCI_STYLEGETBACK, entry.style), long(entry.background));
        EXPECT_EQ(m_editor.send(Sci::SCI_STYLEGETEOLFILLED, entry.style), entry.eolFilled ? 1 : 0);
    }
    EXPECT_EQ(m_editor.send(Sci::SCI_STYLEGETFORE, 28), 0x123456)
        << "unlisted styles keep their look";
    EXPECT_EQ(m_editor.send(Sci::SCI_STYLEGETBACK, Sci::STYLE_DEFAULT), long(cpp.background));
    EXPECT_EQ(m_editor.send(Sci::SCI_STYLEGETBACK, Sci::STYLE_LINENUMBER), long(cpp.background));
    EXPECT_EQ(m_editor.send(Sci::SCI_STYLEGETFORE, Sci::STYLE_BRACEBAD), 0x0000FF);
    EXPECT_EQ(m_editor.send(Sci::SCI_STYLEGETFORE, Sci::STYLE_BRACELIGHT), 0x00AA00);
    EXPECT_EQ(m_editor.send(Sci::SCI_STYLEGETBOLD, Sci::STYLE_BRACEBAD), 1);
    EXPECT_EQ(m_editor.send(Sci::SCI_STYLEGETBOLD, Sci::STYLE_BRACELIGHT), 1);
    EXPECT_EQ(m_editor.send(Sci::SCI_GETUSETABS), 0);
    EXPECT_EQ(m_editor.send(Sci::SCI_GETINDENTATIONGUIDES), Sci::SC_IV_REAL);
    EXPECT_EQ(m_editor.send(Sci::SCI_GETTABWIDTH), 3);
    EXPECT_EQ(m_editor.send(Sci::SCI_GETINDENT), 3);

    m_options.tabAsSpaces = false;
    m_options.tabGuides = false;
    m_editor.applyLanguage(cpp, m_options);
    EXPECT_EQ(m_editor.send(Sci::SCI_GETUSETABS), 1);
    EXPECT_EQ(m_editor.send(Sci::SCI_GETINDENTATIONGUIDES), Sci::SC_IV_NONE);
}

TEST_F(ApplyLanguage, TextUnknownLexersAndTheFallbackLeaveTheTextPlain)
{
    setText("def f():\n    return 1\n");
    const LanguageRecord python = language("Python");
    LanguageRecord bogus = python;
    bogus.lexerName = u"no-such-lexer"_s;
    for (const LanguageRecord &plain : {language("Text"), bogus, LanguageRecord::fallback()}) {
        SCOPED_TRACE(plain.lexerName.toStdString());
        m_editor.applyLanguage(python, m_options);
        ASSERT_EQ(styleAt("def"), 5);
        m_editor.applyLanguage(plain, m_options);
        EXPECT_EQ(m_editor.send(Sci::SCI_GETLEXER), Sci::SCLEX_NULL);
        EXPECT_TRUE(allPlain());
    }
}

TEST_F(ApplyLanguage, StyleNumbersOutsideTheComponentAreIgnored)
{
    LanguageRecord record = language("C");
    record.styleCount = 3;
    record.styles[0].style = 300;
    record.styles[1].style = -5;
    record.styles[2] = StyleEntry{0x0000AA, 0xFFFFFF, 5, u"Keyword"_s, false};
    setText("return 0;\n");
    m_editor.applyLanguage(record, m_options);
    EXPECT_EQ(m_editor.send(Sci::SCI_STYLEGETFORE, 5), 0x0000AA);
    EXPECT_EQ(styleAt("return"), 5);
}

TEST_F(ApplyLanguage, ABigTextIsStyledOnlyAsFarAsItIsShown)
{
    QByteArray text;
    while (text.size() < 3 * 1024 * 1024)
        text += "int value = 42; // a line of C\n";
    m_editor.sendText(Sci::SCI_SETTEXT, 0, text.constData());
    m_editor.applyLanguage(language("C"), m_options);
    const long length = m_editor.send(Sci::SCI_GETLENGTH);
    EXPECT_LT(m_editor.send(Sci::SCI_GETENDSTYLED), length / 2);
    EXPECT_EQ(styleAt("int"), 16) << "the first screen is coloured at once";
}
