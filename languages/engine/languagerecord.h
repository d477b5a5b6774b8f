// LanguageRecord: one colourable language as its configuration file describes it.
#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

namespace pw {

// Colours are 0x00BBGGRR values: red in the low byte, then green, then blue, as the editing
// component takes them.

// The colour an empty colour text stands for: the window background of the colour scheme. White
// until the widget side passes on its palette (the engine cannot ask for it).
quint32 windowColour();
void setWindowColour(quint32 colour);

// Colour text to colour. Empty gives windowColour(). Otherwise the first character is skipped
// whatever it is, and characters 2-3, 4-5 and 6-7 give red, green and blue, each read as
// hexadecimal up to its first non-hexadecimal character (so "#FFF" is red 0xFF, green 0x0F,
// blue 0, and "#GG0000" has red 0). A group starting with "0x" reads as 0.
quint32 textToColour(const QString &text);
// Colour to "#RRGGBB" with upper-case digits.
QString colourToText(quint32 colour);

// One style of a lexer with its colours. Unused entries keep these defaults.
struct StyleEntry
{
    quint32 foreground = 0;
    quint32 background = windowColour();
    int style = 32; // the lexer's style number; 32 is the component's default style
    QString name = QStringLiteral("Default");
    bool eolFilled = false;

    friend bool operator==(const StyleEntry &, const StyleEntry &) = default;
};

// A plain value, copied freely: the language list hands out copies and takes them back whole.
class LanguageRecord
{
public:
    static constexpr int MaxStyles = 255;
    static constexpr int MaxKeywordSets = 9;

    int styleCount = 0;      // entries of styles in use, 0..MaxStyles
    int keywordSetCount = 0; // entries of keywordSets in use, 0..MaxKeywordSets
    bool modified = false;   // set by every edit; only modified records are written back
    QString menuLabel;
    QString extensions; // ";"-separated, each with its dot; ".*" marks the catch-all language
    // ";"-separated whole file names ("Makefile;CMakeLists.txt"), for files whose extension says
    // nothing; empty in files written before the field existed.
    QString fileNames;
    std::array<QString, MaxKeywordSets> keywordSets;
    QString blockCommentStart;
    QString blockCommentEnd;
    QString lineComment;
    QString lexerName; // the component's lexer name; empty means no lexer
    std::array<StyleEntry, MaxStyles> styles;
    QString filePath; // the file read from and written back to
    bool isDefault = false;
    int lexerId = -1; // chooses the function-list rules
    bool autoNest = false;
    quint32 background = 0xFFFFFF; // of the default style and the line-number margin

    // The record used for any position outside the list: plain black on white, no lexer.
    static LanguageRecord fallback();

    // True when one of the ";"-separated tokens of extensions equals extension, ignoring case.
    // Tokens are compared whole: ".*" matches only ".*", and ".cpp " does not match ".cpp".
    bool matchesExtension(const QString &extension) const;
    // True when one of the ";"-separated tokens of fileNames equals fileName (no folder), ignoring
    // case, as file systems elsewhere do.
    bool matchesFileName(const QString &fileName) const;

    // Appends a style; ignored once MaxStyles are held. An empty background text gives the window
    // colour.
    void addStyle(const QString &name, int style, const QString &foregroundText,
                  const QString &backgroundText, bool eolFilled);
    // Appends a keyword set; ignored once MaxKeywordSets are held.
    void addKeywordSet(const QString &words);
    void setComments(const QString &start, const QString &end, const QString &line);

    // Edits of the Syntax Coloring page; each marks the record modified. A style index outside
    // the styles in use is ignored.
    void setForeground(int index, quint32 colour);
    void setBackground(int index, quint32 colour);
    void setDefaultBackground(quint32 colour);
    void setDefault(bool on);

    // Writes DEFAULT, BACKGROUND and the COLOUR colours back into filePath, leaving every other
    // byte of the file as it was wherever it can. Writes nothing (and returns false) when there
    // is no such file or it no longer parses as a language file.
    bool save() const;

    friend bool operator==(const LanguageRecord &, const LanguageRecord &) = default;
};

} // namespace pw
