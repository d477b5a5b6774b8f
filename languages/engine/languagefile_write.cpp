// Writing a language's colours back into its file, touching only the bytes that change.
#include "languages/engine/languagefile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <tinyxml2.h>
#include <vector>

namespace pw {

namespace {

// Where each element of a file lies, so that single values can be replaced in place. The scan
// knows only what language files need; anything unexpected ends it and the caller falls back to
// the XML library's own printing.
struct RawAttribute
{
    QByteArray name;
    qsizetype valueStart = 0;
    qsizetype valueEnd = 0;
};

struct RawElement
{
    QByteArray name;
    int parent = -1;
    qsizetype tagStart = 0;     // the '<' of the start tag
    qsizetype attrInsert = 0;   // just after the name or the last attribute
    qsizetype tagEnd = 0;       // just after the start tag's '>'
    qsizetype selfCloseAt = -1; // the '/' of "/>", or -1
    qsizetype contentEnd = 0;   // the '<' of the end tag (tagEnd when self-closing)
    qsizetype end = 0;          // just after the element
    std::vector<RawAttribute> attributes;
    std::vector<int> children;
};

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameChar(char c)
{
    return !isSpace(c) && c != '/' && c != '>' && c != '=' && c != '<' && c != '"' && c != '\'';
}

class XmlScanner
{
public:
    explicit XmlScanner(const QByteArray &bytes) : m_b(bytes) {}

    std::optional<std::vector<RawElement>> scan()
    {
        qsizetype pos = m_b.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        std::vector<int> open;
        while (pos < m_b.size()) {
            if (m_b[pos] != '<') {
                pos = m_b.indexOf('<', pos);
                if (pos < 0)
                    break;
                continue;
            }
            qsizetype next = -1;
            if (at(pos, "<?"))
                next = after(pos + 2, "?>");
            else if (at(pos, "<!--"))
                next = after(pos + 4, "-->");
            else if (at(pos, "<![CDATA["))
                next = after(pos + 9, "]]>");
            else if (at(pos, "<!"))
                next = skipDeclaration(pos + 2);
            else if (at(pos, "</"))
                next = endTag(pos, open);
            else
                next = startTag(pos, open);
            if (next < 0)
                return std::nullopt;
            pos = next;
        }
        if (!open.empty())
            return std::nullopt;
        return std::move(m_elements);
    }

private:
    bool at(qsizetype pos, const char *text) const
    {
        return QByteArrayView(m_b).sliced(pos).startsWith(QByteArrayView(text));
    }

    qsizetype after(qsizetype from, const char *terminator) const
    {
        const qsizetype found = m_b.indexOf(terminator, from);
        return found < 0 ? -1 : found + qsizetype(qstrlen(terminator));
    }

    qsizetype skipSpace(qsizetype pos) const
    {
        while (pos < m_b.size() && isSpace(m_b[pos]))
            ++pos;
        return pos;
    }

    qsizetype readName(qsizetype pos, QByteArray &name) const
    {
        const qsizetype start = pos;
        while (pos < m_b.size() && isNameChar(m_b[pos]))
            ++pos;
        name = m_b.mid(start, pos - start);
        return name.isEmpty() ? -1 : pos;
    }

    // A DOCTYPE or similar: up to its '>' outside quotes and the internal subset's brackets.
    qsizetype skipDeclaration(qsizetype pos) const
    {
        int depth = 0;
        char quote = 0;
        for (; pos < m_b.size(); ++pos) {
            const char c = m_b[pos];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                ++depth;
            } else if (c == ']') {
                --depth;
            } else if (c == '>' && depth <= 0) {
                return pos + 1;
            }
        }
        return -1;
    }

    qsizetype endTag(qsizetype pos, std::vector<int> &open)
    {
        QByteArray name;
        qsizetype p = readName(pos + 2, name);
        if (p < 0)
            return -1;
        p = skipSpace(p);
        if (p >= m_b.size() || m_b[p] != '>' || open.empty())
            return -1;
        RawElement &element = m_elements[size_t(open.back())];
        if (element.name != name)
            return -1;
        element.contentEnd = pos;
        element.end = p + 1;
        open.pop_back();
        return p + 1;
    }

    qsizetype startTag(qsizetype pos, std::vector<int> &open)
    {
        RawElement element;
        element.tagStart = pos;
        element.parent = open.empty() ? -1 : open.back();
        qsizetype p = readName(pos + 1, element.name);
        if (p < 0)
            return -1;
        element.attrInsert = p;
        for (;;) {
            p = skipSpace(p);
            if (p >= m_b.size())
                return -1;
            if (m_b[p] == '>' || at(p, "/>"))
                break;
            RawAttribute attribute;
            p = readName(p, attribute.name);
            if (p < 0)
                return -1;
            p = skipSpace(p);
            if (p >= m_b.size() || m_b[p] != '=')
                return -1;
            p = skipSpace(p + 1);
            if (p >= m_b.size() || (m_b[p] != '"' && m_b[p] != '\''))
                return -1;
            const qsizetype close = m_b.indexOf(m_b[p], p + 1);
            if (close < 0)
                return -1;
            attribute.valueStart = p + 1;
            attribute.valueEnd = close;
            element.attributes.push_back(attribute);
            p = close + 1;
            element.attrInsert = p;
        }
        const int index = int(m_elements.size());
        if (element.parent >= 0)
            m_elements[size_t(element.parent)].children.push_back(index);
        if (m_b[p] == '/') {
            element.selfCloseAt = p;
            element.tagEnd = element.contentEnd = element.end = p + 2;
            m_elements.push_back(std::move(element));
            return p + 2;
        }
        element.tagEnd = p + 1;
        m_elements.push_back(std::move(element));
        open.push_back(index);
        return p + 1;
    }

    const QByteArray &m_b;
    std::vector<RawElement> m_elements;
};

struct Edit
{
    qsizetype position;
    qsizetype removed;
    QByteArray inserted;
};

QByteArray escaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

QByteArray printed(const tinyxml2::XMLDocument &doc)
{
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    return QByteArray(printer.CStr(), printer.CStrSize() - 1);
}

int firstChild(const std::vector<RawElement> &elements, int parent, const char *name)
{
    if (parent < 0) {
        for (size_t i = 0; i < elements.size(); ++i) {
            if (elements[i].parent < 0 && elements[i].name == name)
                return int(i);
        }
        return -1;
    }
    for (int child : elements[size_t(parent)].children) {
        if (elements[size_t(child)].name == name)
            return child;
    }
    return -1;
}

// The white space in front of the root's last child, reused so that new elements line up.
QByteArray indentBefore(const QByteArray &bytes, qsizetype position)
{
    qsizetype start = position;
    while (start > 0 && isSpace(bytes[start - 1]))
        --start;
    return bytes.mid(start, position - start);
}

// The first style whose name equals name exactly, or nullptr.
const StyleEntry *styleNamed(const LanguageRecord &record, const QString &name)
{
    for (int i = 0; i < record.styleCount; ++i) {
        if (record.styles[size_t(i)].name == name)
            return &record.styles[size_t(i)];
    }
    return nullptr;
}

// Applies the record to the document tree and, when the file's layout allows, collects the same
// changes as byte edits. Returns false when the layout does not allow it.
bool collectEdits(tinyxml2::XMLDocument &doc, const QByteArray &bytes, const LanguageRecord &record,
                  std::vector<Edit> &edits)
{
    tinyxml2::XMLElement *root = doc.FirstChildElement("PROPERTIES");
    std::optional<std::vector<RawElement>> scanned = XmlScanner(bytes).scan();
    bool raw = scanned.has_value();
    const std::vector<RawElement> none;
    const std::vector<RawElement> &elements = raw ? *scanned : none;
    const int rawRoot = raw ? firstChild(elements, -1, "PROPERTIES") : -1;
    raw = raw && rawRoot >= 0 && elements[size_t(rawRoot)].selfCloseAt < 0;

    // DEFAULT and BACKGROUND: replace the content, or add the element as the root's last child.
    QByteArray appended;
    const auto setValue = [&](const char *name, const QString &value) {
        tinyxml2::XMLElement *element = root->FirstChildElement(name);
        if (!element)
            element = root->InsertNewChildElement(name);
        element->DeleteChildren();
        element->SetText(value.toUtf8().constData());
        if (!raw)
            return;
        const int rawElement = firstChild(elements, rawRoot, name);
        if (rawElement < 0) {
            const RawElement &parent = elements[size_t(rawRoot)];
            const QByteArray indent =
                parent.children.empty()
                    ? QByteArray()
                    : indentBefore(bytes, elements[size_t(parent.children.back())].tagStart);
            appended += indent + '<' + name + '>' + escaped(value) + "</" + name + '>';
            return;
        }
        const RawElement &e = elements[size_t(rawElement)];
        if (e.selfCloseAt >= 0) {
            edits.push_back({e.selfCloseAt, 2, '>' + escaped(value) + "</" + name + '>'});
        } else {
            edits.push_back({e.tagEnd, e.contentEnd - e.tagEnd, escaped(value)});
        }
    };
    setValue("DEFAULT", record.isDefault ? QStringLiteral("Y") : QStringLiteral("N"));
    setValue("BACKGROUND", colourToText(record.background));
    if (raw && !appended.isEmpty()) {
        const RawElement &parent = elements[size_t(rawRoot)];
        const qsizetype at = parent.children.empty() ? parent.contentEnd
                                                     : elements[size_t(parent.children.back())].end;
        edits.push_back({at, 0, appended});
    }

    // COLOUR: the three colour attributes of every element whose name has a style.
    tinyxml2::XMLElement *colours = root->FirstChildElement("COLOURS");
    if (!colours)
        return raw;
    std::vector<int> rawColours;
    if (raw) {
        const int rawColoursElement = firstChild(elements, rawRoot, "COLOURS");
        raw = rawColoursElement >= 0;
        for (int child : raw ? elements[size_t(rawColoursElement)].children : std::vector<int>()) {
            if (elements[size_t(child)].name == "COLOUR")
                rawColours.push_back(child);
        }
    }
    size_t n = 0;
    for (tinyxml2::XMLElement *colour = colours->FirstChildElement("COLOUR"); colour;
         colour = colour->NextSiblingElement("COLOUR"), ++n) {
        const char *text = colour->GetText();
        const StyleEntry *style = styleNamed(record, text ? QString::fromUtf8(text) : QString());
        if (!style)
            continue;
        const std::pair<const char *, QString> values[] = {
            {"HEXFORE", colourToText(style->foreground)},
            {"HEXBACK", colourToText(style->background)},
            {"EOLFILLED", style->eolFilled ? QStringLiteral("True") : QStringLiteral("False")},
        };
        for (const auto &[attribute, value] : values)
            colour->SetAttribute(attribute, value.toUtf8().constData());
        // Once the scan and the tree disagree, only the tree's changes count (the caller prints
        // it), but every element still gets them.
        raw = raw && n < rawColours.size();
        if (!raw)
            continue;
        const RawElement &e = elements[size_t(rawColours[n])];
        QByteArray added;
        for (const auto &entry : values) {
            const auto &attribute = entry.first;
            const auto &value = entry.second;
            const auto found =
                std::find_if(e.attributes.begin(), e.attributes.end(),
                             [&](const RawAttribute &a) { return a.name == attribute; });
            if (found == e.attributes.end()) {
                added += ' ' + QByteArray(attribute) + "=\"" + escaped(value) + '"';
            } else {
                edits.push_back(
                    {found->valueStart, found->valueEnd - found->valueStart, escaped(value)});
            }
        }
        if (!added.isEmpty())
            edits.push_back({e.attrInsert, 0, added});
    }
    return raw && n == rawColours.size();
}

} // namespace

std::optional<QByteArray> patchLanguageColours(const QByteArray &bytes,
                                               const LanguageRecord &record)
{
    if (bytes.contains('\0'))
        return std::nullopt;
    tinyxml2::XMLDocument doc;
    if (doc.Parse(bytes.constData(), size_t(bytes.size())) != tinyxml2::XML_SUCCESS)
        return std::nullopt;
    if (!doc.FirstChildElement("PROPERTIES"))
        return std::nullopt;

    std::vector<Edit> edits;
    const bool inPlace = collectEdits(doc, bytes, record, edits);
    const QByteArray reference = printed(doc);
    // The library prints some documents it accepted (text after the root element, for one) in a
    // form it cannot read back; such a file is left alone rather than made unreadable.
    tinyxml2::XMLDocument reread;
    if (reread.Parse(reference.constData(), size_t(reference.size())) != tinyxml2::XML_SUCCESS)
        return std::nullopt;
    if (!inPlace)
        return reference;

    std::stable_sort(edits.begin(), edits.end(),
                     [](const Edit &a, const Edit &b) { return a.position > b.position; });
    QByteArray patched = bytes;
    for (const Edit &edit : edits)
        patched.replace(edit.position, edit.removed, edit.inserted);

    // The edits must mean exactly what the library's own changes mean; if the file held
    // something the scan misread, its printing is the safe answer.
    tinyxml2::XMLDocument check;
    if (check.Parse(patched.constData(), size_t(patched.size())) != tinyxml2::XML_SUCCESS ||
        printed(check) != reference)
        return reference;
    return patched;
}

bool writeLanguageColours(const LanguageRecord &record)
{
    if (record.filePath.isEmpty())
        return false;
    const QFileInfo info(record.filePath);
    if (!info.isFile())
        return false;
    QFile file(record.filePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(MaxLanguageFileSize + 1);
    file.close();
    if (bytes.size() > MaxLanguageFileSize)
        return false;
    const std::optional<QByteArray> content = patchLanguageColours(bytes, record);
    if (!content)
        return false;
    if (*content == bytes)
        return true;
    QSaveFile out(record.filePath);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (out.write(*content) != content->size())
        return false;
    return out.commit();
}

} // namespace pw
