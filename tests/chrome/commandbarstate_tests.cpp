// The command bars' saved layout: round trips, layouts of the earlier writer, repairs, refusals.
#include "chrome/engine/commandbarstate.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <gtest/gtest.h>

using namespace pw;

namespace {

// A layout written field by field with QDataStream, as the program wrote layouts before the
// format had an engine of its own: both the reference for compatibility and a way to make
// broken layouts that a correct writer never would.
struct RawBar
{
    QString objectName = QStringLiteral("Toolbar");
    QString title = QStringLiteral("Toolbar");
    bool user = false;
    bool visible = true;
    qint32 area = 0x4;
    bool lineBreak = false;
    QList<qint32> ids;
};

struct RawLayout
{
    quint32 magic = 0x50574342;
    quint16 version = 1;
    bool tips = true;
    bool tipKeys = true;
    QList<RawBar> bars = {RawBar{}};
    QList<std::pair<qint32, QStringList>> keys;

    QByteArray bytes() const
    {
        QByteArray data;
        QDataStream out(&data, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << magic << version << tips << tipKeys << quint32(bars.size());
        for (const RawBar &b : bars) {
            out << b.objectName << b.title << b.user << b.visible << b.area << b.lineBreak
                << quint32(b.ids.size());
            for (qint32 id : b.ids)
                out << id;
        }
        out << quint32(keys.size());
        for (const auto &[id, list] : keys) {
            out << id << quint32(list.size());
            for (const QString &key : list)
                out << key;
        }
        return data;
    }
};

RawBar userBar(const QString &name, const QString &title, QList<qint32> ids = {})
{
    return {name, title, true, true, 0x1, false, std::move(ids)};
}

// A layout with something in every field.
CommandBarState fullState()
{
    CommandBarState s;
    s.showToolTips = false;
    s.shortcutsInToolTips = true;
    const auto bar = [](const char *name, const QString &title, bool user, bool visible,
                        ToolbarState::Area area, bool lineBreak, QList<int> buttons) {
        return ToolbarState{QString::fromLatin1(name), title, user, visible, area, lineBreak,
                            std::move(buttons)};
    };
    s.toolbars.push_back(bar("Toolbar", QStringLiteral("Toolbar"), false, false, ToolbarState::Top,
                             false, {57600, 0, 57601, 0, 5000}));
    s.toolbars.push_back(bar("UserToolbar1", QStringLiteral("My Tools (Ä)"), true, true,
                             ToolbarState::Left, true, {57636, 0, 0, 57643}));
    s.toolbars.push_back(bar("UserToolbar7", QStringLiteral("Empty"), true, true,
                             ToolbarState::Bottom, false, {}));
    s.shortcuts.insert(57600, {QStringLiteral("Ctrl+Alt+J"), QStringLiteral("F12")});
    s.shortcuts.insert(57601, {});
    return s;
}

std::optional<CommandBarState> parsed(const QByteArray &data, QString *error = nullptr)
{
    return CommandBarState::parse(data, error);
}

// Whatever parses must serialise to bytes that parse to the same layout.
void expectStable(const QByteArray &data)
{
    const std::optional<CommandBarState> first = parsed(data);
    if (!first)
        return;
    const QByteArray again = first->serialise();
    const std::optional<CommandBarState> second = parsed(again);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(*second, *first);
    EXPECT_EQ(second->serialise(), again);
}

} // namespace

TEST(CommandBarState, RoundTripKeepsEveryField)
{
    const CommandBarState state = fullState();
    QString error;
    const std::optional<CommandBarState> back = parsed(state.serialise(), &error);
    ASSERT_TRUE(back.has_value()) << error.toStdString();
    EXPECT_EQ(*back, state);
    ASSERT_NE(back->builtInToolbar(), nullptr);
    EXPECT_FALSE(back->builtInToolbar()->visible);
}

TEST(CommandBarState, ReadsAndWritesTheLayoutsOfTheEarlierWriter)
{
    RawLayout raw;
    raw.tips = false;
    raw.bars[0].ids = {57600, 0, 57601};
    raw.bars.append(userBar(QStringLiteral("UserToolbar2"), QStringLiteral("Mine"), {57636}));
    raw.bars.last().lineBreak = true;
    raw.keys = {{57600, {QStringLiteral("Ctrl+Alt+J")}}, {57601, {}}};
    const std::optional<CommandBarState> state = parsed(raw.bytes());
    ASSERT_TRUE(state.has_value());
    EXPECT_FALSE(state->showToolTips);
    ASSERT_EQ(state->toolbars.size(), 2u);
    EXPECT_EQ(state->toolbars[1].title, QStringLiteral("Mine"));
    EXPECT_EQ(state->toolbars[1].area, ToolbarState::Left);
    EXPECT_TRUE(state->toolbars[1].lineBreak);
    EXPECT_EQ(state->shortcuts.value(57601), QStringList());
    EXPECT_TRUE(state->shortcuts.contains(57601));
    EXPECT_EQ(state->serialise(), raw.bytes()) << "a saved layout stays byte for byte the same";
}

TEST(CommandBarState, SmallSlipsAreRepaired)
{
    RawLayout raw;
    raw.bars[0].ids = {57600, 0, 57600, 0, 57601, 57600};
    raw.bars.append(userBar(QStringLiteral("UserToolbar1"), QStringLiteral("  Padded  ")));
    raw.keys = {{57600,
                 {QStringLiteral("F5"), QString(), QStringLiteral(" F5 "), QStringLiteral("   "),
                  QStringLiteral("F6")}},
                {57601, {QStringLiteral("F7")}},
                {57601, {QStringLiteral("F8")}}};
    const std::optional<CommandBarState> state = parsed(raw.bytes());
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->toolbars[0].buttons, (QList<int>{57600, 0, 0, 57601}))
        << "separators may repeat, commands keep their first place";
    EXPECT_EQ(state->toolbars[1].title, QStringLiteral("Padded"));
    EXPECT_EQ(state->shortcuts.value(57600), (QStringList{"F5", "F6"}));
    EXPECT_EQ(state->shortcuts.value(57601), QStringList{"F8"}) << "the last entry wins";
    expectStable(raw.bytes());
}

TEST(CommandBarState, MalformedLayoutsAreRefusedWithAReason)
{
    const auto with = [](auto change) {
        RawLayout raw;
        raw.bars.append(userBar(QStringLiteral("UserToolbar1"), QStringLiteral("Mine")));
        change(raw);
        return raw.bytes();
    };
    // The first toolbar's object name claims 2 GB, 8000 bytes, or an odd number of bytes.
    const auto nameLength = [&](const char *length) {
        QByteArray data = with([](RawLayout &) {});
        data.replace(12, 4, QByteArray(length, 4));
        return data;
    };
    QByteArray tooManyBars = with([](RawLayout &) {});
    tooManyBars.replace(8, 4, QByteArray("\x00\x00\x01\x01", 4));
    const struct
    {
        const char *name;
        QByteArray data;
        const char *reason; // part of the message
    } rows[] = {
        {"empty", QByteArray(), "not a toolbar layout"},
        {"noise", QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9), "not a toolbar layout"},
        {"another program's data", with([](RawLayout &r) { r.magic = 0x12345678; }),
         "not a toolbar layout"},
        {"mark without version", QByteArray("PWCB", 4), "ends at byte 4"},
        {"newer version", with([](RawLayout &r) { r.version = 2; }), "version 2"},
        {"trailing bytes", with([](RawLayout &) {}) + "x", "1 bytes follow"},
        {"no toolbars", with([](RawLayout &r) { r.bars.clear(); }), "no toolbars"},
        {"more toolbars than allowed", tooManyBars, "257"},
        {"more buttons than allowed",
         with([](RawLayout &r) { r.bars[0].ids = QList<qint32>(4097, 0); }), "4097"},
        {"unknown dock area", with([](RawLayout &r) { r.bars[1].area = 3; }), "area 3"},
        {"dock area zero", with([](RawLayout &r) { r.bars[0].area = 0; }), "area 0"},
        {"user toolbar with a foreign name",
         with([](RawLayout &r) { r.bars[1].objectName = QStringLiteral("Other"); }), "Other"},
        {"user toolbar with a blank title",
         with([](RawLayout &r) { r.bars[1].title = QStringLiteral("   "); }), "no title"},
        {"unknown built-in toolbar",
         with([](RawLayout &r) { r.bars[0].objectName = QStringLiteral("Standard"); }), "Standard"},
        {"built-in toolbar twice", with([](RawLayout &r) { r.bars.append(RawBar{}); }), "twice"},
        {"no built-in toolbar", with([](RawLayout &r) { r.bars.removeFirst(); }), "built-in"},
        {"titles equal but for case", with([](RawLayout &r) {
             r.bars.append(userBar(QStringLiteral("UserToolbar2"), QStringLiteral("MINE")));
         }),
         "called"},
        {"user toolbar named like the built-in one",
         with([](RawLayout &r) { r.bars[1].title = QStringLiteral(" toolbar"); }), "called"},
        {"toolbar object name twice", with([](RawLayout &r) {
             r.bars.append(userBar(QStringLiteral("UserToolbar1"), QStringLiteral("Other")));
         }),
         "twice"},
        {"string of 2 GB", nameLength("\x7f\xff\xff\xfe"), "more than 4096"},
        {"string longer than the data", nameLength("\x00\x00\x1f\x40"), "ends at byte"},
        {"string of odd length", nameLength("\x00\x00\x00\x03"), "odd byte length"},
        {"too many keys for one command", with([](RawLayout &r) {
             r.keys = {{57600, QStringList(17, QStringLiteral("F1"))}};
         }),
         "17"},
        {"key text too long", with([](RawLayout &r) {
             r.keys = {{57600, {QString(257, QLatin1Char('K'))}}};
         }),
         "257"},
        {"name too long",
         with([](RawLayout &r) { r.bars[1].title = QString(4097, QLatin1Char('n')); }), "4097"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        EXPECT_FALSE(parsed(row.data, &error).has_value());
        EXPECT_TRUE(error.contains(QLatin1String(row.reason))) << error.toStdString();
    }
}

TEST(CommandBarState, EveryCutShortOrBitFlippedLayoutIsRefusedOrStable)
{
    const QByteArray good = fullState().serialise();
    for (qsizetype length = 0; length < good.size(); ++length) {
        QString error;
        ASSERT_FALSE(parsed(good.left(length), &error).has_value()) << length;
        ASSERT_FALSE(error.isEmpty()) << length;
    }
    for (qsizetype i = 0; i < good.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            QByteArray flipped = good;
            flipped[i] = char(flipped[i] ^ (1 << bit));
            SCOPED_TRACE(testing::Message() << "byte " << i << " bit " << bit);
            expectStable(flipped);
        }
    }
}

TEST(CommandBarState, KeepOnlyLeavesOutWhatTheProgramDoesNotKnow)
{
    CommandBarState state = fullState();
    state.keepOnly([](int id) { return id == 57600 || id == 5000; },
                   [](int id) { return id == 57601; });
    EXPECT_EQ(state.toolbars[0].buttons, (QList<int>{57600, 0, 0, 5000}));
    EXPECT_EQ(state.toolbars[1].buttons, (QList<int>{0, 0}));
    EXPECT_EQ(state.shortcuts.keys(), QList<int>{57601});
    const std::optional<CommandBarState> back = parsed(state.serialise());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, state);
}

// Inputs the fuzzer once found troublesome stay here as regression cases.
TEST(CommandBarState, FuzzCorpusIsRefusedOrStable)
{
    const QDir dir(QStringLiteral(PENWRIGHT_SOURCE_DIR "/tests/fuzz/corpus/commandbarstate"));
    const QStringList files = dir.entryList(QDir::Files);
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        expectStable(file.readAll());
    }
}
