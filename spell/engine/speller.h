// Speller: one Aspell speller and its document checker, for one run of the spell checker.
#pragma once

#include "spell/engine/spellrun.h"

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

namespace pw::spell {

struct AspellSpeller;
struct AspellDocumentChecker;

struct SpellerOptions
{
    // The dictionary folder; empty, or a folder that holds no dictionaries, means the system's.
    QString prefix;
    // The dictionary by the name Aspell lists it under; empty: Aspell's default for the prefix.
    QString dictionary;
    // Where the personal word list and replacement list live; empty: Aspell's (the user's home).
    QString homeDir;
};

class Speller final : public TokenSource
{
public:
    Speller() = default;
    ~Speller() override;
    Speller(const Speller &) = delete;
    Speller &operator=(const Speller &) = delete;

    // False when the library is not bound or Aspell refused the configuration (errorText()).
    bool initialize(const SpellerOptions &options);
    bool isReady() const { return m_checker != nullptr; }

    // TokenSource: text is zero-terminated UTF-8.
    void process(const char *text) override;
    SpellToken next() override;

    // Aspell's suggestions for word, in Aspell's order.
    std::vector<std::string> suggest(std::string_view word);
    // Accepted until this speller goes.
    bool addToSession(std::string_view word);
    // Accepted from now on and saved by finish(); false (errorText()) when Aspell refuses the word.
    bool addToPersonal(std::string_view word);
    bool personalChanged() const { return m_personalChanged; }

    // Ends the run: the checker goes, the word lists are saved when personal words were added,
    // then the speller goes. False when the save failed (errorText()).
    bool finish();
    QString errorText() const { return m_error; }

    // The dictionary folder Aspell is given for prefix: prefix itself when Aspell finds
    // dictionaries there, else empty (the system's).
    static QString effectivePrefix(const QString &prefix);
    // The dictionaries Aspell lists for the folder (empty prefix: the system's), in its order.
    static QStringList dictionaryNames(const QString &prefix);

private:
    QString spellerError() const;

    AspellSpeller *m_speller = nullptr;
    AspellDocumentChecker *m_checker = nullptr;
    bool m_personalChanged = false;
    QString m_error;
};

} // namespace pw::spell
