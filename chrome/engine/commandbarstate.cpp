// Writing and reading the command bars' saved layout, refusing anything that is not one.
#include "chrome/engine/commandbarstate.h"

#include <QSet>
#include <QtEndian>
#include <algorithm>

namespace pw {

namespace {

const QString kBuiltInName = QStringLiteral("Toolbar");
const QString kUserPrefix = QStringLiteral("UserToolbar");
constexpr quint32 kNullString = 0xffffffffu;

class Writer
{
public:
    void u8(quint8 v) { m_out.append(char(v)); }
    void boolean(bool v) { u8(v ? 1 : 0); }
    void u16(quint16 v)
    {
        char buf[2];
        qToBigEndian(v, buf);
        m_out.append(buf, 2);
    }
    void u32(quint32 v)
    {
        char buf[4];
        qToBigEndian(v, buf);
        m_out.append(buf, 4);
    }
    void i32(qint32 v) { u32(quint32(v)); }
    void string(const QString &s)
    {
        if (s.isNull()) {
            u32(kNullString);
            return;
        }
        u32(quint32(s.size()) * 2);
        for (const QChar c : s)
            u16(c.unicode());
    }
    QByteArray take() { return std::move(m_out); }

private:
    QByteArray m_out;
};

// Reads big-endian fields; the first failure sticks and names what was being read.
class Reader
{
public:
    explicit Reader(const QByteArray &data) : m_data(data) {}

    bool ok() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    bool atEnd() const { return m_pos == m_data.size(); }
    qsizetype pos() const { return m_pos; }
    void fail(const QString &what)
    {
        if (m_error.isEmpty())
            m_error = what;
    }

    quint32 u32(const char *what) { return quint32(take(4, what)); }
    qint32 i32(const char *what) { return qint32(u32(what)); }
    quint16 u16(const char *what) { return quint16(take(2, what)); }
    bool boolean(const char *what) { return take(1, what) != 0; }
    // A count that must not exceed limit; a larger one fails with what.
    quint32 count(const char *what, int limit)
    {
        const quint32 n = u32(what);
        if (ok() && n > quint32(limit))
            fail(QStringLiteral("%1: %2 is more than the %3 a layout can have")
                     .arg(QLatin1String(what))
                     .arg(n)
                     .arg(limit));
        return ok() ? n : 0;
    }
    QString string(const char *what, int maxChars)
    {
        const quint32 bytes = u32(what);
        if (!ok() || bytes == kNullString)
            return QString();
        if (bytes % 2 != 0) {
            fail(QStringLiteral("%1: odd byte length %2 at byte %3")
                     .arg(QLatin1String(what))
                     .arg(bytes)
                     .arg(m_pos));
            return QString();
        }
        if (bytes / 2 > quint32(maxChars)) {
            fail(QStringLiteral("%1: %2 characters is more than %3")
                     .arg(QLatin1String(what))
                     .arg(bytes / 2)
                     .arg(maxChars));
            return QString();
        }
        if (quint64(bytes) > quint64(m_data.size() - m_pos)) {
            cutShort(what);
            return QString();
        }
        QString s(qsizetype(bytes / 2), Qt::Uninitialized);
        QChar *chars = s.data();
        for (qsizetype i = 0; i < s.size(); ++i)
            chars[i] = QChar(quint16(take(2, what)));
        return s;
    }

private:
    quint64 take(int n, const char *what)
    {
        if (!ok())
            return 0;
        if (m_data.size() - m_pos < n) {
            cutShort(what);
            return 0;
        }
        quint64 v = 0;
        for (int i = 0; i < n; ++i)
            v = (v << 8) | quint8(m_data.at(m_pos + i));
        m_pos += n;
        return v;
    }
    void cutShort(const char *what)
    {
        fail(QStringLiteral("the data ends at byte %1 in %2")
                 .arg(m_data.size())
                 .arg(QLatin1String(what)));
    }

    const QByteArray &m_data;
    qsizetype m_pos = 0;
    QString m_error;
};

bool isArea(qint32 area)
{
    return area == ToolbarState::Left || area == ToolbarState::Right || area == ToolbarState::Top ||
           area == ToolbarState::Bottom;
}

// The rules one toolbar must meet on its own and among those before it; empty when it does.
QString checkToolbar(const ToolbarState &bar, const std::vector<ToolbarState> &before)
{
    if (bar.user) {
        if (!bar.objectName.startsWith(kUserPrefix))
            return QStringLiteral("a user toolbar is named \"%1\"").arg(bar.objectName);
        if (bar.title.isEmpty())
            return QStringLiteral("user toolbar \"%1\" has no title").arg(bar.objectName);
    } else if (bar.objectName != kBuiltInName) {
        return QStringLiteral("unknown built-in toolbar \"%1\"").arg(bar.objectName);
    }
    for (const ToolbarState &other : before) {
        if (other.objectName == bar.objectName)
            return QStringLiteral("toolbar \"%1\" is listed twice").arg(bar.objectName);
        if (other.title.compare(bar.title, Qt::CaseInsensitive) == 0)
            return QStringLiteral("two toolbars are called \"%1\"").arg(bar.title);
    }
    return QString();
}

std::optional<ToolbarState> readToolbar(Reader &in, int index,
                                        const std::vector<ToolbarState> &before)
{
    ToolbarState bar;
    bar.objectName = in.string("a toolbar's object name", CommandBarState::kMaxNameText);
    bar.title = in.string("a toolbar's title", CommandBarState::kMaxNameText).trimmed();
    bar.user = in.boolean("a toolbar's kind");
    bar.visible = in.boolean("a toolbar's visibility");
    const qint32 area = in.i32("a toolbar's area");
    bar.lineBreak = in.boolean("a toolbar's line break");
    if (in.ok() && !isArea(area))
        in.fail(QStringLiteral("toolbar %1 docks in area %2, which is none of left, right, top "
                               "or bottom")
                    .arg(index + 1)
                    .arg(area));
    bar.area = ToolbarState::Area(area);
    const quint32 count = in.count("the number of buttons", CommandBarState::kMaxButtons);
    QSet<int> seen;
    for (quint32 k = 0; k < count && in.ok(); ++k) {
        const int id = in.i32("a button's command id");
        if (id == 0 || !seen.contains(id)) {
            bar.buttons.append(id);
            seen.insert(id);
        }
    }
    if (!in.ok())
        return std::nullopt;
    if (const QString problem = checkToolbar(bar, before); !problem.isEmpty()) {
        in.fail(problem);
        return std::nullopt;
    }
    return bar;
}

} // namespace

QByteArray CommandBarState::serialise() const
{
    Writer out;
    out.u32(kMagic);
    out.u16(kVersion);
    out.boolean(showToolTips);
    out.boolean(shortcutsInToolTips);
    out.u32(quint32(toolbars.size()));
    for (const ToolbarState &bar : toolbars) {
        out.string(bar.objectName);
        out.string(bar.title);
        out.boolean(bar.user);
        out.boolean(bar.visible);
        out.i32(bar.area);
        out.boolean(bar.lineBreak);
        out.u32(quint32(bar.buttons.size()));
        for (int id : bar.buttons)
            out.i32(id);
    }
    out.u32(quint32(shortcuts.size()));
    for (auto it = shortcuts.cbegin(); it != shortcuts.cend(); ++it) {
        out.i32(it.key());
        out.u32(quint32(it.value().size()));
        for (const QString &key : it.value())
            out.string(key);
    }
    return out.take();
}

std::optional<CommandBarState> CommandBarState::parse(const QByteArray &data, QString *error)
{
    const auto refuse = [error](const QString &why) -> std::optional<CommandBarState> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    Reader in(data);
    const quint32 magic = in.u32("the format mark");
    if (!in.ok() || magic != kMagic)
        return refuse(QStringLiteral("not a toolbar layout"));
    const quint16 version = in.u16("the format version");
    if (!in.ok())
        return refuse(in.error());
    if (version != kVersion)
        return refuse(QStringLiteral("toolbar layout version %1; this program reads version %2")
                          .arg(version)
                          .arg(kVersion));

    CommandBarState state;
    state.showToolTips = in.boolean("the tooltip option");
    state.shortcutsInToolTips = in.boolean("the tooltip keys option");
    const quint32 barCount = in.count("the number of toolbars", kMaxToolbars);
    if (in.ok() && barCount == 0)
        return refuse(QStringLiteral("the layout has no toolbars"));
    for (quint32 i = 0; i < barCount && in.ok(); ++i) {
        if (std::optional<ToolbarState> bar = readToolbar(in, int(i), state.toolbars))
            state.toolbars.push_back(std::move(*bar));
    }
    if (!in.ok())
        return refuse(in.error());
    if (!state.builtInToolbar())
        return refuse(QStringLiteral("the layout lacks the built-in toolbar"));

    const quint32 commandCount =
        in.count("the number of commands with their own keys", kMaxShortcutCommands);
    for (quint32 i = 0; i < commandCount && in.ok(); ++i) {
        const qint32 id = in.i32("a command id");
        const quint32 keyCount = in.count("the number of keys of a command", kMaxKeysPerCommand);
        QStringList keys;
        for (quint32 k = 0; k < keyCount && in.ok(); ++k) {
            const QString key = in.string("a key", kMaxKeyText).trimmed();
            if (!key.isEmpty() && !keys.contains(key))
                keys.append(key);
        }
        if (in.ok())
            state.shortcuts.insert(id, keys);
    }
    if (!in.ok())
        return refuse(in.error());
    if (!in.atEnd())
        return refuse(
            QStringLiteral("%1 bytes follow the end of the layout").arg(data.size() - in.pos()));
    return state;
}

void CommandBarState::keepOnly(const std::function<bool(int)> &isButton,
                               const std::function<bool(int)> &isCommand)
{
    for (ToolbarState &bar : toolbars)
        bar.buttons.removeIf([&](int id) { return id != 0 && !isButton(id); });
    shortcuts.removeIf([&](const auto &entry) { return !isCommand(entry.key()); });
}

const ToolbarState *CommandBarState::builtInToolbar() const
{
    const auto it = std::find_if(toolbars.begin(), toolbars.end(),
                                 [](const ToolbarState &bar) { return !bar.user; });
    return it != toolbars.end() ? &*it : nullptr;
}

} // namespace pw
