// The Aspell binding with the system's English dictionary: UTF-8 words, suggestions, the session
// and personal lists (in a temporary home), dictionary folders, and a library that is missing.
#include "spell/engine/aspellbinding.h"
#include "spell/engine/speller.h"
#include "spell/engine/spellrun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace pw::spell;

namespace {

class SpellerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AspellLibrary::instance().load())
            << AspellLibrary::instance().errorText().toStdString();
        ASSERT_TRUE(m_home.isValid());
    }
    SpellerOptions options() const { return {QString(), QStringLiteral("en_US"), m_home.path()}; }
    // The words a run over text stops at, ignoring each.
    static std::vector<std::pair<qint64, std::string>> stops(Speller &speller,
                                                             const std::string &text)
    {
        const ByteText bytes(QByteArray::fromStdString(text));
        SpellRun run(bytes, speller);
        std::vector<std::pair<qint64, std::string>> found;
        for (auto hit = run.next(false); hit; hit = run.next(true))
            found.emplace_back(hit->position,
                               text.substr(std::size_t(hit->position), std::size_t(hit->length)));
        return found;
    }
    static bool contains(const std::vector<std::string> &words, const std::string &word)
    {
        return std::find(words.begin(), words.end(), word) != words.end();
    }
    QTemporaryDir m_home;
};

TEST_F(SpellerTest, AccentedLettersBelongToWordsAndSuggestionsComeBackIntact)
{
    Speller speller;
    ASSERT_TRUE(speller.initialize(options())) << speller.errorText().toStdString();
    const std::string text = "The naïve wrld\ncafé tëh end";
    const auto found = stops(speller, text);
    // The American list spells them without accents; each accented word is one word, at its
    // byte offset.
    ASSERT_EQ(found, (std::vector<std::pair<qint64, std::string>>{
                         {4, "naïve"}, {11, "wrld"}, {16, "café"}, {22, "tëh"}}));
    EXPECT_TRUE(contains(speller.suggest("wrld"), "world"));
    EXPECT_TRUE(contains(speller.suggest("naïve"), "naive"));
    EXPECT_TRUE(contains(speller.suggest("café"), "cafe"));
}

TEST_F(SpellerTest, SessionWordsLastOneRunPersonalWordsAreSavedInTheGivenHome)
{
    {
        Speller speller;
        ASSERT_TRUE(speller.initialize(options()));
        EXPECT_TRUE(speller.addToSession("zorblax"));
        EXPECT_TRUE(speller.addToPersonal("quibbletron"));
        EXPECT_FALSE(speller.addToPersonal("two words"));
        EXPECT_FALSE(speller.errorText().isEmpty());
        EXPECT_TRUE(stops(speller, "zorblax quibbletron").empty());
        EXPECT_TRUE(speller.finish()) << speller.errorText().toStdString();
    }
    const QStringList files =
        QDir(m_home.path()).entryList({QStringLiteral("*.pws")}, QDir::Files | QDir::Hidden);
    ASSERT_EQ(files.size(), 1);
    QFile list(QDir(m_home.path()).filePath(files.first()));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_TRUE(list.readAll().contains("quibbletron"));

    Speller next;
    ASSERT_TRUE(next.initialize(options()));
    EXPECT_EQ(stops(next, "zorblax quibbletron"),
              (std::vector<std::pair<qint64, std::string>>{{0, "zorblax"}}));
}

TEST_F(SpellerTest, APersonalListThatCannotBeWrittenIsReportedAtTheEnd)
{
    // A home below a plain file cannot be written to, whoever runs the test.
    QFile blocker(QDir(m_home.path()).filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SpellerOptions o = options();
    o.homeDir = blocker.fileName();
    Speller speller;
    ASSERT_TRUE(speller.initialize(o));
    ASSERT_TRUE(speller.addToPersonal("quibbletron"));
    EXPECT_FALSE(speller.finish());
    EXPECT_TRUE(speller.errorText().contains(blocker.fileName()))
        << speller.errorText().toStdString();
}

TEST_F(SpellerTest, AFolderWithoutDictionariesFallsBackToTheSystems)
{
    EXPECT_TRUE(Speller::dictionaryNames(QString()).contains(QStringLiteral("en_US")));
    EXPECT_TRUE(Speller::dictionaryNames(m_home.path()).isEmpty());
    EXPECT_TRUE(Speller::effectivePrefix(m_home.path()).isEmpty());
    SpellerOptions o = options();
    o.prefix = m_home.path();
    Speller speller;
    EXPECT_TRUE(speller.initialize(o)) << speller.errorText().toStdString();

    o.dictionary = QStringLiteral("xx_NOPE");
    Speller wrong;
    EXPECT_FALSE(wrong.initialize(o));
    EXPECT_FALSE(wrong.errorText().isEmpty());
}

TEST_F(SpellerTest, AMissingLibraryLeavesSpellingUnavailable)
{
    AspellLibrary &library = AspellLibrary::instance();
    library.unload();
    library.setFileName(QStringLiteral("libaspell-missing-for-tests.so.15"));
    EXPECT_FALSE(library.load());
    EXPECT_FALSE(library.errorText().isEmpty());
    Speller speller;
    EXPECT_FALSE(speller.initialize(options()));
    EXPECT_TRUE(Speller::dictionaryNames(QString()).isEmpty());
    EXPECT_TRUE(speller.finish());

    library.setFileName(AspellLibrary::defaultFileName());
    ASSERT_TRUE(library.load());
    EXPECT_NE(library.entry("aspell_version_string"), nullptr);
    EXPECT_EQ(library.entry("no_such_entry"), nullptr);
}

} // namespace
