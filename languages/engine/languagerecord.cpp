// LanguageRecord: colour texts, extension matching and the edits of one language.
#include "languages/engine/languagerecord.h"

#include "languages/engine/languagefile.h"

#include <atomic>

namespace pw {

namespace {
std::atomic<quint32> g_windowColour{0xFFFFFF};

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// One two-character group, read as far as it is hexadecimal.
quint32 readGroup(QStringView group)
{
    if (group.size() == 2 && group[0] == u'0' && (group[1] == u'x' || group[1] == u'X'))
        return 0;
    quint32 value = 0;
    for (QChar c : group) {
        const int digit = hexDigit(c);
        if (digit < 0)
            break;
        value = value * 16 + quint32(digit);
    }
    return value;
}
} // namespace

quint32 windowColour()
{
    return g_windowColour.load(std::memory_order_relaxed);
}

void setWindowColour(quint32 colour)
{
    g_windowColour.store(colour & 0xFFFFFF, std::memory_order_relaxed);
}

quint32 textToColour(const QString &text)
{
    if (text.isEmpty())
        return windowColour();
    const QStringView view(text);
    quint32 colour = 0;
    for (int group = 0; group < 3; ++group) {
        const qsizetype start = 1 + 2 * group;
        if (start >= view.size())
            break;
        colour |= readGroup(view.mid(start, 2)) << (8 * group);
    }
    return colour;
}

QString colourToText(quint32 colour)
{
    return QStringLiteral("#%1%2%3")
        .arg(colour & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colour >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colour >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

LanguageRecord LanguageRecord::fallback()
{
    LanguageRecord record;
    record.menuLabel = QStringLiteral("Text");
    record.extensions = QStringLiteral(".*");
    record.background = 0xFFFFFF;
    record.lexerId = -1;
    record.styleCount = 1;
    record.styles[0] = StyleEntry{0x000000, 0xFFFFFF, 0, QStringLiteral("Default"), false};
    record.lineComment = QStringLiteral("'");
    return record;
}

bool LanguageRecord::matchesExtension(const QString &extension) const
{
    // Empty tokens are skipped so that the empty extension of a new document matches nothing.
    const QStringView all(extensions);
    for (QStringView token : all.tokenize(u';', Qt::SkipEmptyParts)) {
        if (token.compare(extension, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool LanguageRecord::matchesFileName(const QString &fileName) const
{
    const QStringView all(fileNames);
    for (QStringView token : all.tokenize(u';', Qt::SkipEmptyParts)) {
        if (token.trimmed().compare(fileName, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void LanguageRecord::addStyle(const QString &name, int style, const QString &foregroundText,
                              const QString &backgroundText, bool eolFilled)
{
    if (styleCount >= MaxStyles)
        return;
    styles[styleCount++] = StyleEntry{textToColour(foregroundText), textToColour(backgroundText),
                                      style, name, eolFilled};
}

void LanguageRecord::addKeywordSet(const QString &words)
{
    if (keywordSetCount >= MaxKeywordSets)
        return;
    keywordSets[keywordSetCount++] = words;
}

void LanguageRecord::setComments(const QString &start, const QString &end, const QString &line)
{
    blockCommentStart = start;
    blockCommentEnd = end;
    lineComment = line;
}

void LanguageRecord::setForeground(int index, quint32 colour)
{
    if (index < 0 || index >= styleCount)
        return;
    styles[index].foreground = colour;
    modified = true;
}

void LanguageRecord::setBackground(int index, quint32 colour)
{
    if (index < 0 || index >= styleCount)
        return;
    styles[index].background = colour;
    modified = true;
}

void LanguageRecord::setDefaultBackground(quint32 colour)
{
    background = colour;
    modified = true;
}

void LanguageRecord::setDefault(bool on)
{
    isDefault = on;
    modified = true;
}

bool LanguageRecord::save() const
{
    return writeLanguageColours(*this);
}

} // namespace pw
