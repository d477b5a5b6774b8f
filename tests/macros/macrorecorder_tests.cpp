// The recorder's steps, macros.xml as it is written, read back and edited, and files that were
// crafted or damaged.
#include "macros/engine/macrofile.h"
#include "macros/engine/macrorecorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pw;

namespace {

class MacroFileTest : public ::testing::Test
{
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("sub/macros.xml")); }
    void write(const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(QStringLiteral("sub/macros.xml")));
        QDir().mkpath(m_dir.filePath(QStringLiteral("sub")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray contents() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    MacroRecorder::SaveResult save(const QString &name, const std::deque<MacroStep> &steps)
    {
        MacroRecorder recorder(path());
        recorder.start(name);
        recorder.setSteps(steps);
        return recorder.save();
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST(MacroRecorder, StringMessagesKeepTheirTextAndOthersTheirNumber)
{
    static const char typed[] = "a";
    static const char counted[] = "abcdef"; // only the counted part is the text
    static const char sought[] = "needle";
    struct Case
    {
        int message;
        quintptr wParam;
        qintptr lParam;
        MacroStep expected;
    };
    const Case cases[] = {
        {2170, 0, qintptr(typed), {2170, 0, 0, "a"}},
        {2001, 3, qintptr(counted), {2001, 3, 0, "abc"}},
        {2282, 2, qintptr(counted), {2282, 2, 0, "ab"}},
        {2367, 4, qintptr(sought), {2367, 4, 0, "needle"}},
        {2194, quintptr(-1), qintptr(sought), {2194, 0xFFFFFFFFu, 0, "needle"}},
        // A caret move keeps its number, and a string message without an address keeps 0.
        {2306, 0, 5, {2306, 0, 5, ""}},
        {2024, 12, -3, {2024, 12, -3, ""}},
        {2170, 0, 0, {2170, 0, 0, ""}},
    };
    MacroRecorder recorder;
    recorder.start(QStringLiteral("m"));
    for (const Case &c : cases)
        EXPECT_TRUE(recorder.add(c.message, c.wParam, c.lParam));
    ASSERT_EQ(recorder.steps().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(recorder.steps()[i], cases[i].expected) << "case " << i;
    recorder.start(QStringLiteral("again"));
    EXPECT_TRUE(recorder.steps().empty());
}

TEST(MacroRecorder, RecordingStopsGrowingAtTheBound)
{
    MacroRecorder recorder;
    recorder.start(QStringLiteral("m"));
    for (int i = 0; i < macrolimits::MaxSteps; ++i)
        ASSERT_TRUE(recorder.add(2306, 0, 0));
    EXPECT_FALSE(recorder.overflowed());
    EXPECT_FALSE(recorder.add(2306, 0, 0));
    EXPECT_TRUE(recorder.overflowed());
    EXPECT_EQ(recorder.steps().size(), std::size_t(macrolimits::MaxSteps));
}

TEST_F(MacroFileTest, SavedMacrosHaveTheFileLayoutAndReadBack)
{
    const QString odd = QStringLiteral("<a & \"b\" 'c'>");
    const std::deque<MacroStep> typed{{2170, 0, 0, "a"}, {2170, 0, 0, "<&\">"}, {2306, 0, 7, ""}};
    ASSERT_EQ(save(QStringLiteral("First"), typed), MacroRecorder::SaveResult::Saved);
    ASSERT_EQ(save(odd, {}), MacroRecorder::SaveResult::Saved);
    ASSERT_EQ(save(QStringLiteral("Third"), {{2300, 0, 0, ""}}), MacroRecorder::SaveResult::Saved);

    tinyxml2::XMLDocument doc;
    ASSERT_EQ(macrofile::read(path(), doc), macrofile::ReadResult::Read);
    ASSERT_TRUE(doc.FirstChild() && doc.FirstChild()->ToDeclaration());
    EXPECT_STREQ(doc.FirstChild()->Value(), R"(xml version="1.0" encoding="UTF-8")");
    const tinyxml2::XMLElement *first = macrofile::root(doc)->FirstChildElement("macro");
    ASSERT_TRUE(first);
    EXPECT_STREQ(first->Attribute("name"), "First");
    const tinyxml2::XMLElement *step = first->FirstChildElement("step");
    ASSERT_TRUE(step);
    EXPECT_STREQ(step->Attribute("msg"), "2170");
    EXPECT_STREQ(step->Attribute("wparam"), "0");
    EXPECT_STREQ(step->Attribute("lparam"), "0");
    EXPECT_STREQ(step->Attribute("sparam"), "a");
    EXPECT_EQ(macrofile::names(path()),
              (QStringList{QStringLiteral("First"), odd, QStringLiteral("Third")}));

    MacroRecorder loaded(path());
    ASSERT_EQ(loaded.load(QStringLiteral("First")), MacroRecorder::LoadResult::Loaded);
    EXPECT_EQ(loaded.steps(), typed);
    ASSERT_EQ(loaded.load(odd), MacroRecorder::LoadResult::Loaded);
    EXPECT_TRUE(loaded.steps().empty());
    // Names are compared exactly; a miss leaves the steps alone.
    loaded.setSteps(typed);
    EXPECT_EQ(loaded.load(QStringLiteral("first")), MacroRecorder::LoadResult::NotFound);
    EXPECT_EQ(loaded.steps(), typed);
}

TEST_F(MacroFileTest, RemoveAndRenameActOnTheFirstOfTheName)
{
    ASSERT_EQ(save(QStringLiteral("A"), {{2300, 0, 0, ""}}), MacroRecorder::SaveResult::Saved);
    ASSERT_EQ(save(QStringLiteral("B"), {}), MacroRecorder::SaveResult::Saved);
    ASSERT_EQ(save(QStringLiteral("A"), {{2301, 0, 0, ""}}), MacroRecorder::SaveResult::Saved);
    EXPECT_TRUE(macrofile::contains(path(), QStringLiteral("B")));
    EXPECT_FALSE(macrofile::contains(path(), QStringLiteral("b")));

    EXPECT_TRUE(macrofile::rename(path(), QStringLiteral("A"), QStringLiteral("C")));
    EXPECT_EQ(macrofile::names(path()),
              (QStringList{QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A")}));
    MacroRecorder recorder(path());
    ASSERT_EQ(recorder.load(QStringLiteral("C")), MacroRecorder::LoadResult::Loaded);
    EXPECT_EQ(recorder.steps().front().message, 2300);

    EXPECT_TRUE(macrofile::remove(path(), QStringLiteral("B")));
    EXPECT_FALSE(macrofile::remove(path(), QStringLiteral("B")));
    EXPECT_FALSE(macrofile::rename(path(), QStringLiteral("B"), QStringLiteral("D")));
    EXPECT_EQ(macrofile::names(path()), (QStringList{QStringLiteral("C"), QStringLiteral("A")}));
}

TEST_F(MacroFileTest, DamagedOrCraftedFilesAreReadSafely)
{
    struct Case
    {
        const char *what;
        QByteArray bytes;
        MacroRecorder::LoadResult load;
        std::deque<MacroStep> steps;
    };
    QByteArray manySteps = "<macros><macro name=\"M\">";
    for (int i = 0; i <= macrolimits::MaxSteps; ++i)
        manySteps += "<s/>";
    manySteps += "</macro></macros>";
    const Case cases[] = {
        {"empty", "", MacroRecorder::LoadResult::NotFound, {}},
        {"not well-formed",
         "<macros><macro name=\"M\"><step msg=\"2170\"",
         MacroRecorder::LoadResult::NotFound,
         {}},
        {"other root",
         "<other><macro name=\"M\"/></other>",
         MacroRecorder::LoadResult::NotFound,
         {}},
        {"non-numeric values",
         R"(<macros><macro name="M"><step msg="abc" wparam="x" lparam="y" sparam="t"/></macro></macros>)",
         MacroRecorder::LoadResult::Loaded,
         {{0, 0, 0, ""}}},
        // A number where a string message wants text never becomes an address.
        {"string message with a number",
         R"(<macros><macro name="M"><step msg="2170" lparam="4096" sparam=""/><step msg="2001" wparam="99" lparam="1" sparam="ab"/></macro></macros>)",
         MacroRecorder::LoadResult::Loaded,
         {{2170, 0, 0, ""}, {2001, 99, 0, "ab"}}},
        {"negative wparam",
         R"(<macros><macro name="M"><step msg="2003" wparam="-1" sparam="x"/></macro></macros>)",
         MacroRecorder::LoadResult::Loaded,
         {{2003, 0xFFFFFFFFu, 0, "x"}}},
        {"too many steps", manySteps, MacroRecorder::LoadResult::TooManySteps, {}},
        {"too large",
         QByteArray(macrolimits::MaxFileBytes + 1, ' '),
         MacroRecorder::LoadResult::TooLarge,
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        write(c.bytes);
        MacroRecorder recorder(path());
        EXPECT_EQ(recorder.load(QStringLiteral("M")), c.load);
        EXPECT_EQ(recorder.steps(), c.steps);
    }
    // Saving over a damaged file starts it afresh; over a too-large one it refuses.
    write("<macros><macro");
    EXPECT_EQ(save(QStringLiteral("N"), {}), MacroRecorder::SaveResult::Saved);
    EXPECT_EQ(macrofile::names(path()), QStringList{QStringLiteral("N")});
    write(QByteArray(macrolimits::MaxFileBytes + 1, ' '));
    EXPECT_EQ(save(QStringLiteral("N"), {}), MacroRecorder::SaveResult::TooLarge);
    EXPECT_EQ(contents().size(), macrolimits::MaxFileBytes + 1);
    EXPECT_EQ(save(QString(), {}), MacroRecorder::SaveResult::NoNameOrPath);
    MacroRecorder nowhere;
    EXPECT_EQ(nowhere.load(QStringLiteral("M")), MacroRecorder::LoadResult::NoPath);
}
