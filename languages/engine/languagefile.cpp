// Reading language configuration files: which elements count, and which files are skipped.
#include "languages/engine/languagefile.h"

#include <QFile>
#include <algorithm>
#include <climits>
#include <tinyxml2.h>

namespace pw {

namespace {

QString fromXml(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

// An element's value: the text of its first child when that child is text; empty otherwise.
QString childText(const tinyxml2::XMLElement *parent, const char *name)
{
    const tinyxml2::XMLElement *child = parent->FirstChildElement(name);
    return child ? fromXml(child->GetText()) : QString();
}

bool isYes(const QString &text)
{
    return text.compare(QLatin1String("Y"), Qt::CaseInsensitive) == 0;
}

// Reads a decimal number the way "%d" does: leading white space, an optional sign, digits.
// No digits gives fallback; a value beyond the int range is clamped.
int scanDecimal(const QString &text, int fallback)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    qint64 value = 0;
    bool any = false;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        any = true;
        value = std::min<qint64>(value * 10 + (text[i].unicode() - u'0'), qint64(INT_MAX) + 1);
    }
    if (!any)
        return fallback;
    value = negative ? -value : value;
    return int(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

// The style number: the leading digits only; none gives 0.
int leadingDigits(const QString &text)
{
    qint64 value = 0;
    for (qsizetype i = 0; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min<qint64>(value * 10 + (text[i].unicode() - u'0'), INT_MAX);
    return int(value);
}

std::optional<LanguageRecord> fail(QString *error, const QString &path, const QString &reason)
{
    if (error)
        *error = QStringLiteral("Could not load config file '%1'. Error='%2'.").arg(path, reason);
    return std::nullopt;
}

} // namespace

std::optional<LanguageRecord> readLanguageFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, path, file.errorString());
    if (file.size() > MaxLanguageFileSize)
        return fail(error, path, QStringLiteral("file too large"));
    // Read one byte past the cap: a file that grows (or lies about its size) is still refused.
    const QByteArray bytes = file.read(MaxLanguageFileSize + 1);
    if (bytes.size() > MaxLanguageFileSize)
        return fail(error, path, QStringLiteral("file too large"));
    return parseLanguageFile(bytes, path, error);
}

std::optional<LanguageRecord> parseLanguageFile(const QByteArray &bytes, const QString &path,
                                                QString *error)
{
    if (bytes.contains('\0'))
        return fail(error, path, QStringLiteral("binary content"));
    tinyxml2::XMLDocument doc;
    if (doc.Parse(bytes.constData(), size_t(bytes.size())) != tinyxml2::XML_SUCCESS)
        return fail(error, path, fromXml(doc.ErrorStr()));
    const tinyxml2::XMLElement *root = doc.FirstChildElement("PROPERTIES");
    if (!root)
        return fail(error, path, QStringLiteral("no PROPERTIES element"));

    LanguageRecord record;
    record.menuLabel = childText(root, "MENU");
    record.extensions = childText(root, "EXTENSION");
    record.fileNames = childText(root, "FILENAMES");
    record.lexerName = childText(root, "LEXER");
    record.lexerId = scanDecimal(childText(root, "LEXERID"), -1);
    record.autoNest = isYes(childText(root, "AUTONEST"));
    record.isDefault = isYes(childText(root, "DEFAULT"));
    const QString background = childText(root, "BACKGROUND");
    record.background = textToColour(background.isEmpty() ? QStringLiteral("#FFFFFF") : background);
    record.filePath = path;

    if (const tinyxml2::XMLElement *keywords = root->FirstChildElement("KEYWORDS")) {
        for (const tinyxml2::XMLElement *keyword = keywords->FirstChildElement("KEYWORD"); keyword;
             keyword = keyword->NextSiblingElement("KEYWORD")) {
            // An element with no content at all is no set, so the next one takes its number.
            if (keyword->NoChildren())
                continue;
            record.addKeywordSet(fromXml(keyword->GetText()));
        }
    }

    if (const tinyxml2::XMLElement *colours = root->FirstChildElement("COLOURS")) {
        for (const tinyxml2::XMLElement *colour = colours->FirstChildElement("COLOUR"); colour;
             colour = colour->NextSiblingElement("COLOUR")) {
            const QString style = fromXml(colour->Attribute("STYLE"));
            const QString foreground = fromXml(colour->Attribute("HEXFORE"));
            if (style.isEmpty() || foreground.isEmpty())
                continue;
            record.addStyle(fromXml(colour->GetText()), leadingDigits(style), foreground,
                            fromXml(colour->Attribute("HEXBACK")),
                            fromXml(colour->Attribute("EOLFILLED")) == QLatin1String("True"));
        }
    }

    if (const tinyxml2::XMLElement *comment = root->FirstChildElement("COMMENT")) {
        record.setComments(childText(comment, "GROUPSTART"), childText(comment, "GROUPEND"),
                           childText(comment, "LINE"));
    }

    if (record.styleCount == 0)
        return fail(error, path, QStringLiteral("no usable COLOUR element"));
    return record;
}

} // namespace pw
