// The shipped language files against the function-list rules their numbers choose.
#include "functionlist/engine/functionparser.h"
#include "functionlist/engine/rules.h"
#include "languages/engine/languagelist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <gtest/gtest.h>

using namespace pw;

namespace {
QByteArray sampleOf(const LanguageRecord &record)
{
    const QDir samples(QStringLiteral(PW_LANGUAGE_SAMPLES_DIR));
    const QStringList found =
        samples.entryList({QFileInfo(record.filePath).completeBaseName() + u".*"}, QDir::Files);
    if (found.size() != 1)
        return {};
    QFile file(samples.filePath(found.first()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

TEST(LanguageFunctions, EveryRuleSetHasALanguageWhoseSampleItParses)
{
    LanguageList list;
    list.load(QStringLiteral(PW_LANGUAGE_CONFIG_DIR));
    ASSERT_GT(list.count(), 0);
    QSet<int> covered;
    for (int i = 0; i < list.count(); ++i) {
        const LanguageRecord record = list.get(i);
        const std::string name = QFileInfo(record.filePath).fileName().toStdString();
        const QByteArray sample = sampleOf(record);
        ASSERT_FALSE(sample.isEmpty()) << "no sample for " << name;
        if (!functionlist::ruleSetFor(record.lexerId).supported)
            continue;
        const functionlist::ParseResult result =
            functionlist::parseFunctions(sample, record.lexerId);
        EXPECT_EQ(result.status, functionlist::ParseStatus::Complete) << name;
        EXPECT_FALSE(result.displayed.empty())
            << name << ": the rules of " << record.lexerId << " find nothing in its sample";
        if (!result.displayed.empty())
            covered.insert(record.lexerId);
    }
    for (int id : functionlist::supportedLexerIds())
        EXPECT_TRUE(covered.contains(id))
            << "no shipped language finds functions with rules " << id;
}
