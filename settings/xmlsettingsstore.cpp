// Reads and writes the user's preferences in the XML settings file, one section and key at a time.
#include "settings/xmlsettingsstore.h"

#include "settings/settingsdocumentcache.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <climits>
#include <cstring>
#include <tinyxml2.h>

namespace pw {

namespace {

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;
using tinyxml2::XMLNode;

detail::SettingsDocumentCache &cache()
{
    return detail::SettingsDocumentCache::instance();
}

// The rule tinyxml2 applies when it reads a name back; anything else would make the file
// unreadable as a whole.
bool isXmlName(const QByteArray &name)
{
    if (name.isEmpty())
        return false;
    auto startChar = [](unsigned char ch) {
        return ch >= 0x80 || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == '_' ||
               ch == ':';
    };
    if (!startChar(static_cast<unsigned char>(name.front())))
        return false;
    for (const char c : name) {
        const auto ch = static_cast<unsigned char>(c);
        if (!startChar(ch) && !(ch >= '0' && ch <= '9') && ch != '.' && ch != '-')
            return false;
    }
    return true;
}

bool hasNul(const QString &text)
{
    return text.contains(QChar(u'\0'));
}

// Leading blanks, optional sign, leading decimal digits; saturates instead of overflowing.
qint64 parseLeadingInteger(const char *text)
{
    const char *p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    constexpr qint64 Limit = qint64(1) << 40; // far beyond any 32-bit value, no overflow
    qint64 value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value < Limit)
            value = value * 10 + (*p - '0');
    }
    return negative ? -value : value;
}

int toInt(const char *text)
{
    const qint64 v = parseLeadingInteger(text);
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v);
}

quint32 toUInt(const char *text)
{
    const qint64 v = parseLeadingInteger(text);
    if (v > qint64(UINT_MAX))
        return UINT_MAX;
    if (v < -qint64(UINT_MAX))
        return UINT_MAX;
    return quint32(v); // a negative value wraps modulo 2^32 as strtoul's does
}

const char *textOf(const XMLElement *element)
{
    // The value is the element's first child when that is text; anything else reads as empty.
    const XMLNode *first = element ? element->FirstChild() : nullptr;
    return first && first->ToText() ? first->Value() : "";
}

const XMLElement *findKey(const XMLDocument &doc, const char *section, const char *key)
{
    const XMLElement *s = doc.RootElement()->FirstChildElement(section);
    return s ? s->FirstChildElement(key) : nullptr;
}

XMLElement *ensureChild(XMLDocument &doc, XMLElement *parent, const char *name)
{
    if (XMLElement *found = parent->FirstChildElement(name))
        return found;
    return parent->InsertEndChild(doc.NewElement(name))->ToElement();
}

// CDATA as the file layout asks, except for values CDATA cannot carry unchanged: a "]]>" would
// end the section early and a carriage return would be read back as a line feed. Those are
// written as escaped text, which reads back the same way.
void setText(XMLDocument &doc, XMLElement *element, const QByteArray &utf8)
{
    element->DeleteChildren();
    tinyxml2::XMLText *text = doc.NewText(utf8.constData());
    text->SetCData(!utf8.contains("]]>") && !utf8.contains('\r'));
    element->InsertEndChild(text);
}

// Distinct child element names of a section in file order.
QList<const XMLElement *> distinctKeys(const XMLElement *section)
{
    QList<const XMLElement *> keys;
    if (!section)
        return keys;
    QSet<QByteArrayView> seen;
    for (const XMLElement *e = section->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (!seen.contains(QByteArrayView(e->Name()))) {
            seen.insert(QByteArrayView(e->Name()));
            keys.append(e);
        }
    }
    return keys;
}

struct Names
{
    QByteArray section;
    QByteArray key;
    bool valid = false;
};

Names namesOf(const QString &section, const QString &key)
{
    Names n{section.toUtf8(), key.toUtf8()};
    n.valid = isXmlName(n.section) && isXmlName(n.key);
    return n;
}

QString fromUtf8(const char *text)
{
    return QString::fromUtf8(text, qsizetype(std::strlen(text)));
}

QString latin1(const char *text)
{
    return QString::fromLatin1(text);
}

} // namespace

XmlSettingsStore::XmlSettingsStore(const QString &path) : m_path(path) {}

XmlSettingsStore::~XmlSettingsStore()
{
    if (m_batchDepth > 0 && !m_path.isEmpty())
        cache().flush(m_path);
}

int XmlSettingsStore::getInt(const QString &section, const QString &key, int defaultValue) const
{
    int result = defaultValue;
    if (m_path.isEmpty())
        return result;
    const Names n = namesOf(section, key);
    cache().read(m_path, [&](const XMLDocument &doc) {
        const char *text = textOf(findKey(doc, n.section.constData(), n.key.constData()));
        if (*text)
            result = toInt(text);
    });
    return result;
}

bool XmlSettingsStore::getUInt(const QString &section, const QString &key, quint32 &value) const
{
    bool found = false;
    if (m_path.isEmpty())
        return false;
    const Names n = namesOf(section, key);
    cache().read(m_path, [&](const XMLDocument &doc) {
        const char *text = textOf(findKey(doc, n.section.constData(), n.key.constData()));
        if (*text) {
            value = toUInt(text);
            found = true;
        }
    });
    return found;
}

QString XmlSettingsStore::getString(const QString &section, const QString &key,
                                    const QString &defaultValue) const
{
    const QString text = readString(section, key);
    return text.isEmpty() ? defaultValue : text;
}

QString XmlSettingsStore::readString(const QString &section, const QString &key) const
{
    QString result;
    if (m_path.isEmpty())
        return result;
    const Names n = namesOf(section, key);
    cache().read(m_path, [&](const XMLDocument &doc) {
        result = fromUtf8(textOf(findKey(doc, n.section.constData(), n.key.constData())));
    });
    return result;
}

bool XmlSettingsStore::writeInt(const QString &section, const QString &key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool XmlSettingsStore::writeUInt(const QString &section, const QString &key, quint32 value)
{
    return writeString(section, key, QString::number(value));
}

bool XmlSettingsStore::writeString(const QString &section, const QString &key, const QString &value)
{
    const Names n = namesOf(section, key);
    if (m_path.isEmpty() || !n.valid || hasNul(value))
        return false;
    const QByteArray text = value.toUtf8();
    return cache().edit(
        m_path,
        [n, text](XMLDocument &doc) {
            XMLElement *s = ensureChild(doc, doc.RootElement(), n.section.constData());
            setText(doc, ensureChild(doc, s, n.key.constData()), text);
            return true;
        },
        deferWrites());
}

bool XmlSettingsStore::deleteSection(const QString &section)
{
    const QByteArray name = section.toUtf8();
    if (m_path.isEmpty() || !isXmlName(name))
        return false;
    return cache().edit(
        m_path,
        [name](XMLDocument &doc) {
            XMLElement *s = doc.RootElement()->FirstChildElement(name.constData());
            if (!s)
                return false;
            s->DeleteChildren();
            return true;
        },
        deferWrites());
}

bool XmlSettingsStore::deleteKey(const QString &section, const QString &key)
{
    const Names n = namesOf(section, key);
    if (m_path.isEmpty() || !n.valid)
        return false;
    return cache().edit(
        m_path,
        [n](XMLDocument &doc) {
            XMLElement *s = doc.RootElement()->FirstChildElement(n.section.constData());
            if (!s || !s->FirstChildElement(n.key.constData()))
                return false;
            // A hand-edited file may repeat a key; all copies go, or the next one would show.
            while (XMLElement *k = s->FirstChildElement(n.key.constData()))
                s->DeleteChild(k);
            return true;
        },
        deferWrites());
}

bool XmlSettingsStore::writeLabelExtension(const QString &section, const QString &key,
                                           const QString &label, const QString &extension)
{
    const Names n = namesOf(section, key);
    if (m_path.isEmpty() || !n.valid || hasNul(label) || hasNul(extension))
        return false;
    const QByteArray labelText = label.toUtf8();
    const QByteArray extensionText = extension.toUtf8();
    return cache().edit(
        m_path,
        [n, labelText, extensionText](XMLDocument &doc) {
            XMLElement *s = ensureChild(doc, doc.RootElement(), n.section.constData());
            XMLElement *k = ensureChild(doc, s, n.key.constData());
            setText(doc, ensureChild(doc, k, settings::FilterLabelElement), labelText);
            setText(doc, ensureChild(doc, k, settings::FilterExtensionElement), extensionText);
            return true;
        },
        deferWrites());
}

bool XmlSettingsStore::readLabelExtension(const QString &section, const QString &key,
                                          QString &label, QString &extension) const
{
    if (m_path.isEmpty())
        return false;
    const Names n = namesOf(section, key);
    bool found = false;
    cache().read(m_path, [&](const XMLDocument &doc) {
        const XMLElement *k = findKey(doc, n.section.constData(), n.key.constData());
        const XMLElement *l = k ? k->FirstChildElement(settings::FilterLabelElement) : nullptr;
        const XMLElement *e = k ? k->FirstChildElement(settings::FilterExtensionElement) : nullptr;
        if (l && e) {
            label = fromUtf8(textOf(l));
            extension = fromUtf8(textOf(e));
            found = true;
        }
    });
    return found;
}

int XmlSettingsStore::enumerateKeys(const QString &section, QStringList &names) const
{
    names.clear();
    if (m_path.isEmpty())
        return -1;
    const QByteArray name = section.toUtf8();
    const bool usable = cache().read(m_path, [&](const XMLDocument &doc) {
        const XMLElement *s = doc.RootElement()->FirstChildElement(name.constData());
        const QList<const XMLElement *> keys = distinctKeys(s);
        names.reserve(keys.size());
        for (const XMLElement *k : keys)
            names.append(fromUtf8(k->Name()));
    });
    return usable ? int(names.size()) : -1;
}

bool XmlSettingsStore::writeTools(const QString &section, const QString &key,
                                  const QList<ExternalToolRecord> &tools)
{
    const Names n = namesOf(section, key);
    if (m_path.isEmpty() || !n.valid)
        return false;
    struct Encoded
    {
        QByteArray name, args, dir, cmd;
        int icon, type;
    };
    QList<Encoded> encoded;
    encoded.reserve(tools.size());
    for (const ExternalToolRecord &t : tools) {
        if (hasNul(t.name) || hasNul(t.args) || hasNul(t.dir) || hasNul(t.cmd))
            return false;
        encoded.append(
            {t.name.toUtf8(), t.args.toUtf8(), t.dir.toUtf8(), t.cmd.toUtf8(), t.icon, t.type});
    }
    return cache().edit(
        m_path,
        [n, encoded](XMLDocument &doc) {
            XMLElement *s = ensureChild(doc, doc.RootElement(), n.section.constData());
            s->DeleteChildren();
            for (const Encoded &t : encoded) {
                XMLElement *e = s->InsertEndChild(doc.NewElement(n.key.constData()))->ToElement();
                e->SetAttribute("icon", t.icon);
                e->SetAttribute("args", t.args.constData());
                e->SetAttribute("dir", t.dir.constData());
                e->SetAttribute("cmd", t.cmd.constData());
                e->SetAttribute("type", t.type);
                setText(doc, e, t.name);
            }
            return true;
        },
        deferWrites());
}

int XmlSettingsStore::readTools(const QString &section, const QString &key,
                                QList<ExternalToolRecord> &tools) const
{
    if (m_path.isEmpty())
        return -1;
    const Names n = namesOf(section, key);
    int result = 0;
    const bool usable = cache().read(m_path, [&](const XMLDocument &doc) {
        const XMLElement *s = doc.RootElement()->FirstChildElement(n.section.constData());
        if (!s)
            return;
        result = 1;
        for (const XMLElement *e = s->FirstChildElement(n.key.constData()); e;
             e = e->NextSiblingElement(n.key.constData())) {
            auto attribute = [e](const char *name) {
                const char *value = e->Attribute(name);
                return value ? value : "";
            };
            ExternalToolRecord tool;
            tool.name = fromUtf8(textOf(e));
            tool.icon = toInt(attribute("icon"));
            tool.args = fromUtf8(attribute("args"));
            tool.dir = fromUtf8(attribute("dir"));
            tool.cmd = fromUtf8(attribute("cmd"));
            tool.type = toInt(attribute("type"));
            tools.append(tool);
        }
    });
    return usable ? result : -1;
}

bool XmlSettingsStore::saveHistory(const QString &section, const QStringList &entries, int selected)
{
    const QByteArray name = section.toUtf8();
    if (m_path.isEmpty() || !isXmlName(name))
        return false;
    QList<QPair<QByteArray, QByteArray>> values;
    const qsizetype count = std::min<qsizetype>(entries.size(), settings::HistoryMaxEntries);
    for (qsizetype i = 0; i < count; ++i) {
        // An entry XML cannot hold is left out like an empty one rather than cut short.
        if (entries[i].isEmpty() || hasNul(entries[i]))
            continue;
        values.append({QByteArray(QByteArray(settings::HistoryValuePrefix) + QByteArray::number(i)),
                       entries[i].toUtf8()});
    }
    values.append({QByteArray(settings::HistorySelectedKey), QByteArray::number(selected)});
    return cache().edit(
        m_path,
        [name, values](XMLDocument &doc) {
            XMLElement *s = ensureChild(doc, doc.RootElement(), name.constData());
            for (const auto &[key, text] : values)
                setText(doc, ensureChild(doc, s, key.constData()), text);
            return true;
        },
        deferWrites());
}

HistoryList XmlSettingsStore::loadHistory(const QString &section) const
{
    HistoryList history;
    if (m_path.isEmpty())
        return history;
    const QByteArray name = section.toUtf8();
    cache().read(m_path, [&](const XMLDocument &doc) {
        const XMLElement *s = doc.RootElement()->FirstChildElement(name.constData());
        const QList<const XMLElement *> keys = distinctKeys(s);
        if (keys.isEmpty())
            return;
        // One pass over the section, then lookups: a section with a huge number of keys stays
        // linear instead of searching it once per entry.
        QHash<QByteArrayView, const XMLElement *> byName;
        byName.reserve(keys.size());
        for (const XMLElement *k : keys)
            byName.insert(QByteArrayView(k->Name()), k);
        QByteArray keyName;
        for (qsizetype i = 0; i < keys.size(); ++i) {
            keyName = QByteArray(settings::HistoryValuePrefix) + QByteArray::number(i);
            const char *text = textOf(byName.value(QByteArrayView(keyName)));
            if (*text)
                history.entries.append(fromUtf8(text));
        }
        const char *selectedText = textOf(byName.value(settings::HistorySelectedKey));
        const int selected = *selectedText ? toInt(selectedText) : 0;
        if (selected == -1)
            history.selected = history.entries.isEmpty() ? -1 : 0;
        else if (selected >= 0 && selected < history.entries.size())
            history.selected = selected;
    });
    return history;
}

QString XmlSettingsStore::buildFilterString() const
{
    QString result;
    if (!m_path.isEmpty()) {
        cache().read(m_path, [&](const XMLDocument &doc) {
            const XMLElement *s =
                doc.RootElement()->FirstChildElement(settings::section::FileFilter);
            for (const XMLElement *k : distinctKeys(s)) {
                const QString label =
                    fromUtf8(textOf(k->FirstChildElement(settings::FilterLabelElement)));
                const QString extension =
                    fromUtf8(textOf(k->FirstChildElement(settings::FilterExtensionElement)));
                if (label.isEmpty() || extension.isEmpty())
                    continue;
                result += label + QLatin1StringView(" (") + extension + QLatin1StringView(")|") +
                          extension + QLatin1Char('|');
            }
        });
    }
    result += QLatin1StringView("All Files (*.*)|*.*||");
    return result;
}

QString XmlSettingsStore::nextFilterEntryName() const
{
    QStringList names;
    enumerateKeys(latin1(settings::section::FileFilter), names);
    qint64 highest = 0;
    for (const QString &name : names) {
        const qsizetype underscore = name.lastIndexOf(u'_');
        if (underscore < 0)
            continue;
        highest =
            std::max(highest, parseLeadingInteger(name.mid(underscore + 1).toUtf8().constData()));
    }
    return latin1(settings::FilterEntryPrefix) + QString::number(highest + 1);
}

int XmlSettingsStore::getInt(const settings::IntSetting &setting) const
{
    return getInt(latin1(setting.section), latin1(setting.key), setting.defaultValue);
}

quint32 XmlSettingsStore::getUInt(const settings::UIntSetting &setting) const
{
    quint32 value = setting.defaultValue;
    getUInt(latin1(setting.section), latin1(setting.key), value);
    return value;
}

QString XmlSettingsStore::getString(const settings::StringSetting &setting) const
{
    return getString(latin1(setting.section), latin1(setting.key),
                     QString::fromUtf8(setting.defaultValue));
}

bool XmlSettingsStore::writeInt(const settings::IntSetting &setting, int value)
{
    return writeInt(latin1(setting.section), latin1(setting.key), value);
}

bool XmlSettingsStore::writeUInt(const settings::UIntSetting &setting, quint32 value)
{
    return writeUInt(latin1(setting.section), latin1(setting.key), value);
}

bool XmlSettingsStore::writeString(const settings::StringSetting &setting, const QString &value)
{
    return writeString(latin1(setting.section), latin1(setting.key), value);
}

XmlSettingsStore::Batch::Batch(XmlSettingsStore &store) : m_store(&store)
{
    ++m_store->m_batchDepth;
}

XmlSettingsStore::Batch::~Batch()
{
    commit();
}

bool XmlSettingsStore::Batch::commit()
{
    if (!m_open)
        return true;
    m_open = false;
    if (--m_store->m_batchDepth > 0 || m_store->m_path.isEmpty())
        return !m_store->m_path.isEmpty();
    return detail::SettingsDocumentCache::instance().flush(m_store->m_path);
}

} // namespace pw
