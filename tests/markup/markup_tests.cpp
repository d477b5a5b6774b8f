// The markup engine without windows: each shipped profile on small documents, encodings kept,
// the rc chain, unreadable profiles, the XML check's messages and the option list's round trip.
#include "markup/engine/tidyoptions.h"
#include "markup/engine/tidyprofiles.h"
#include "markup/engine/tidyrunner.h"
#include "markup/engine/xmlcheck.h"
#include "settings/appfolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace pw;

namespace {

class MarkupEngine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        // A portable copy in the temporary folder, with no shipped profiles beside it: the
        // built-in ones are written on first use.
        AppFolders::setInputs({m_dir.filePath(QStringLiteral("penwright")),
                               QStringLiteral("/nonexistent-install-prefix"),
                               m_dir.filePath(QStringLiteral("data")),
                               m_dir.filePath(QStringLiteral("docs"))});
    }
    QTemporaryDir m_dir;
};

TEST_F(MarkupEngine, EachProfileCleansSmallDocuments)
{
    struct Row
    {
        const char *profile;
        QByteArray input;
        int rc;
        std::vector<QByteArray> present;
        std::vector<QByteArray> absent;
    };
    const Row rows[] = {
        {TidyProfiles::HtmlClean,
         "<title>t</title><p>one<p>two</blink>",
         1,
         {"<!DOCTYPE html>", "<p>one</p>", "<p>two</p>"},
         {"blink", "xmlns", "generator"}},
        {TidyProfiles::XhtmlClean,
         "<html><head><title>t</title></head><body><p>a<br>b<img src=x.png></body></html>",
         1,
         {"xmlns=\"http://www.w3.org/1999/xhtml\"", "<br />", "<img src=\"x.png\" />", "</p>"},
         {"<br>"}},
        {TidyProfiles::XmlPrettyPrint,
         "<a><b>x</b><c/></a>",
         0,
         {"<a>\n  <b>x</b>\n  <c />\n</a>"},
         {"<html", "DOCTYPE"}},
        // Errors: the output is forced and still replaces the text.
        {TidyProfiles::XmlPrettyPrint, "<a><b>x</a>", 2, {"<b>x</b>"}, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.profile + std::string(": ") + row.input.toStdString());
        const QString path = TidyProfiles::ensure(row.profile);
        EXPECT_EQ(QFile(path).size(), TidyProfiles::builtIn(row.profile).size());
        const TidyRun run = runTidy(row.input, path);
        EXPECT_EQ(run.rc, row.rc) << run.diagnostics.toStdString();
        EXPECT_TRUE(run.ok());
        for (const QByteArray &text : row.present)
            EXPECT_TRUE(run.output.contains(text)) << run.output.toStdString();
        for (const QByteArray &text : row.absent)
            EXPECT_FALSE(run.output.contains(text)) << run.output.toStdString();
        EXPECT_EQ(run.message(), run.diagnostics);
        EXPECT_FALSE(run.diagnostics.isEmpty());
    }
}

TEST_F(MarkupEngine, PerUserFolderStartsWithTheShippedCopies)
{
    // An installed program: its folder lies in the prefix, its profiles beside it.
    const QString prefix = m_dir.filePath(QStringLiteral("usr"));
    QDir().mkpath(prefix + QStringLiteral("/bin/Tidy"));
    AppFolders::setInputs({prefix + QStringLiteral("/bin/penwright"), prefix,
                           m_dir.filePath(QStringLiteral("data")),
                           m_dir.filePath(QStringLiteral("docs"))});
    ASSERT_TRUE(AppFolders::isPerUser());
    QFile shipped(prefix + QStringLiteral("/bin/Tidy/") + QLatin1String(TidyProfiles::HtmlClean));
    ASSERT_TRUE(shipped.open(QIODevice::WriteOnly));
    shipped.write("wrap: 33\n");
    shipped.close();

    struct Row
    {
        const char *name;
        QByteArray content; // after the first use
    };
    const Row rows[] = {
        {TidyProfiles::HtmlClean, "wrap: 33\n"},                                     // copied
        {TidyProfiles::XhtmlClean, TidyProfiles::builtIn(TidyProfiles::XhtmlClean)}, // none shipped
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = TidyProfiles::ensure(row.name);
        EXPECT_TRUE(path.startsWith(AppFolders::perUserFolder())) << path.toStdString();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        EXPECT_EQ(file.readAll(), row.content);
        // The user's own changes stay: later uses never copy again.
        file.resize(0);
        file.write("wrap: 44\n");
        file.close();
        EXPECT_EQ(TidyProfiles::ensure(row.name), path);
        EXPECT_EQ(loadTidyOptions(path).size(), loadTidyOptions(QString()).size());
        QFile again(path);
        ASSERT_TRUE(again.open(QIODevice::ReadOnly));
        EXPECT_EQ(again.readAll(), QByteArray("wrap: 44\n"));
    }
}

TEST_F(MarkupEngine, OutputKeepsTheDocumentsBytes)
{
    const QString profile = TidyProfiles::ensure(TidyProfiles::XmlPrettyPrint);
    struct Row
    {
        QByteArray text;
        TidyTextEncoding encoding;
        QByteArray kept;
    };
    const Row rows[] = {
        {"<a>caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80</a>", TidyTextEncoding::Utf8,
         "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        // Not UTF-8: the bad bytes go through as they are, never as U+FFFD.
        {"<a>caf\xE9 \xFF\xFE ok</a>", TidyTextEncoding::Utf8, "caf\xE9 \xFF\xFE ok"},
        {"<a>caf\xE9 \x80</a>", TidyTextEncoding::Ansi, "caf\xE9 \x80"},
        // A zero byte does not cut the text short.
        {QByteArray("<a>x</a>\0<b>tail</b>", 20), TidyTextEncoding::Utf8, "tail"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text.toHex().toStdString());
        const TidyRun run = runTidy(row.text, profile, row.encoding);
        ASSERT_TRUE(run.ok()) << run.diagnostics.toStdString();
        EXPECT_TRUE(run.output.contains(row.kept)) << run.output.toHex().toStdString();
        EXPECT_FALSE(run.output.contains("\xEF\xBF\xBD"));
        EXPECT_FALSE(run.output.startsWith("\xEF\xBB\xBF"));
    }
}

TEST_F(MarkupEngine, UnreadableProfileFallsBackToTidysDefaults)
{
    const QString missing = m_dir.filePath(QStringLiteral("none.tidy"));
    const QString garbage = m_dir.filePath(QStringLiteral("garbage.tidy"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x01\x02 not: a: profile\n\xFF\xFE");
    file.close();
    for (const QString &profile : {missing, garbage}) {
        // Defaults read HTML, so even XML input comes back as an HTML page.
        const TidyRun run = runTidy("<a><b>x</b></a>", profile);
        EXPECT_TRUE(run.ok());
        EXPECT_TRUE(run.output.contains("<html>")) << run.output.toStdString();
    }
    // What Tidy thought of the profile is part of the report.
    EXPECT_TRUE(runTidy("<p>x", garbage).diagnostics.contains("unknown option"));
    // Binary garbage and an empty text still give a page, not a failure.
    EXPECT_TRUE(runTidy(QByteArray("\x00\x01\x02\xFF<<>>&&\x7F", 10), missing).ok());
    EXPECT_TRUE(runTidy(QByteArray(), missing).ok());
}

TEST(XmlCheck, ReportsTheFirstErrorOrWellFormed)
{
    struct Row
    {
        QByteArray text;
        QString start; // the message, or the start of it for errors
    };
    const Row rows[] = {
        {"<?xml version=\"1.0\"?>\n<a x=\"1\"><b/>text</a>\n", "** document is well formed **"},
        {"", "Line: 1 Col: 1 Error parsing xml := '"},
        {"   \n\n", "Line: 1 Col: 1 Error parsing xml := '"},
        {"<a>\n  <b></a>", "Line: 2 Col: 3 Error parsing xml := '"},
        {"<a>\n<b>\n\t<c x=1/></b></a>", "Line: 3 Col: 2 Error parsing xml := '"},
        {"<a><!-- x </a>", "Line: 1 Col: 1 Error parsing xml := '"},
        {QByteArray("\xFF\xFE\x00<", 4), "Line: 1 Col: 1 Error parsing xml := '"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        const XmlCheck check = checkXml(row.text);
        const QString message = check.message();
        EXPECT_EQ(check.wellFormed, row.start.startsWith(u'*'));
        if (check.wellFormed) {
            EXPECT_EQ(message, row.start);
        } else {
            EXPECT_TRUE(message.startsWith(row.start)) << message.toStdString();
            EXPECT_TRUE(message.endsWith(QLatin1String("'."))) << message.toStdString();
            EXPECT_FALSE(check.description.isEmpty());
        }
    }
}

TEST_F(MarkupEngine, OptionListCoversTidyAndSurvivesSaveAndReload)
{
    const QString path = TidyProfiles::ensure(TidyProfiles::HtmlClean);
    const std::vector<TidyOptionInfo> options = loadTidyOptions(path);
    std::set<int> ids;
    std::set<TidyGroup> groups;
    int undocumented = 0;
    for (const TidyOptionInfo &info : options) {
        ids.insert(info.id);
        groups.insert(info.group);
        EXPECT_FALSE(info.name.isEmpty());
        // Tidy documents all but its three internal options.
        undocumented += info.doc.isEmpty();
        if (info.kind == TidyOptionInfo::Choice) {
            EXPECT_FALSE(info.picks.isEmpty()) << info.name.toStdString();
        }
    }
    EXPECT_LE(undocumented, 3);
    EXPECT_EQ(ids.size(), options.size());
    EXPECT_EQ(ids.count(0), 0u);
    EXPECT_EQ(ids.count(8), 0u);
    // Every id Tidy knows from 1 up, but 8, is listed (this Tidy numbers them without gaps).
    EXPECT_EQ(*ids.rbegin(), int(options.size()) + 1);
    EXPECT_EQ(groups.size(), std::size(TidyGroupOrder));

    auto valueOf = [](const std::vector<TidyOptionInfo> &list, const char *name) {
        for (const TidyOptionInfo &info : list) {
            if (info.name == QLatin1String(name))
                return info.value;
        }
        return QStringLiteral("<missing>");
    };
    // The profile's own values show, not Tidy's defaults.
    EXPECT_EQ(valueOf(options, "wrap"), QStringLiteral("100"));
    EXPECT_EQ(valueOf(options, "indent"), QStringLiteral("auto"));

    std::vector<std::pair<int, QString>> values;
    const std::map<QString, QString> changes = {
        {QStringLiteral("indent-spaces"), QStringLiteral("7")},
        {QStringLiteral("output-xhtml"), QStringLiteral("yes")},
        {QStringLiteral("alt-text"), QStringLiteral("pic")},
        {QStringLiteral("doctype"), QStringLiteral("strict")}};
    for (const TidyOptionInfo &info : options) {
        const auto change = changes.find(info.name);
        values.emplace_back(info.id, change == changes.end() ? info.value : change->second);
    }
    ASSERT_TRUE(saveTidyOptions(path, values));
    const std::vector<TidyOptionInfo> reloaded = loadTidyOptions(path);
    for (const auto &[name, value] : changes)
        EXPECT_EQ(valueOf(reloaded, name.toUtf8().constData()), value) << name.toStdString();
    EXPECT_EQ(valueOf(reloaded, "wrap"), QStringLiteral("100"));
    // And the runs use them.
    const TidyRun run = runTidy("<p>a<img src=x.png>", path);
    EXPECT_TRUE(run.output.contains("alt=\"pic\"")) << run.output.toStdString();
}

} // namespace
