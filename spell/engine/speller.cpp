// Speller: the Aspell configuration, speller, checker and word lists of one spelling run.
#include "spell/engine/speller.h"

#include "spell/engine/aspellbinding.h"

#include <QFile>

namespace pw::spell {

namespace {

std::string local8(const QString &text)
{
    return QFile::encodeName(text).toStdString();
}

// Aspell's sizes are ints; a word never comes near the limit, but a pasted line might.
int wordSize(std::string_view word)
{
    return word.size() > 0x7fffffffu ? 0x7fffffff : int(word.size());
}

// A configuration that reads and writes UTF-8, so accented letters belong to words and
// suggestions come back as the editor holds its text.
AspellConfig *newConfig(const QString &prefix)
{
    const AspellApi &a = aspell();
    AspellConfig *config = a.new_aspell_config();
    a.aspell_config_replace(config, "encoding", "utf-8");
    if (!prefix.isEmpty())
        a.aspell_config_replace(config, "prefix", local8(prefix).c_str());
    return config;
}

QStringList listDictionaries(const QString &prefix)
{
    const AspellApi &a = aspell();
    AspellConfig *config = newConfig(prefix);
    QStringList names;
    // The list belongs to Aspell's cache; only the enumeration is ours to delete.
    if (AspellDictInfoList *list = a.get_aspell_dict_info_list(config)) {
        AspellDictInfoEnumeration *items = a.aspell_dict_info_list_elements(list);
        while (!a.aspell_dict_info_enumeration_at_end(items)) {
            const AspellDictInfo *info = a.aspell_dict_info_enumeration_next(items);
            if (info && info->name)
                names << QString::fromUtf8(info->name);
        }
        a.delete_aspell_dict_info_enumeration(items);
    }
    a.delete_aspell_config(config);
    return names;
}

} // namespace

Speller::~Speller()
{
    if (!AspellLibrary::instance().isLoaded())
        return;
    if (m_checker)
        aspell().delete_aspell_document_checker(m_checker);
    if (m_speller)
        aspell().delete_aspell_speller(m_speller);
}

QString Speller::effectivePrefix(const QString &prefix)
{
    if (prefix.isEmpty() || !AspellLibrary::instance().isLoaded())
        return {};
    return listDictionaries(prefix).isEmpty() ? QString() : prefix;
}

QStringList Speller::dictionaryNames(const QString &prefix)
{
    if (!AspellLibrary::instance().isLoaded())
        return {};
    return listDictionaries(prefix);
}

bool Speller::initialize(const SpellerOptions &options)
{
    m_error.clear();
    if (!AspellLibrary::instance().isLoaded()) {
        m_error = AspellLibrary::instance().errorText();
        return false;
    }
    const AspellApi &a = aspell();
    AspellConfig *config = newConfig(effectivePrefix(options.prefix));
    if (!options.dictionary.isEmpty())
        a.aspell_config_replace(config, "master", local8(options.dictionary).c_str());
    if (!options.homeDir.isEmpty())
        a.aspell_config_replace(config, "home-dir", local8(options.homeDir).c_str());
    AspellCanHaveError *made = a.new_aspell_speller(config);
    a.delete_aspell_config(config);
    if (const AspellError *error = a.aspell_error(made)) {
        m_error = QString::fromUtf8(error->mesg);
        a.delete_aspell_can_have_error(made);
        return false;
    }
    m_speller = a.to_aspell_speller(made);

    AspellCanHaveError *checker = a.new_aspell_document_checker(m_speller);
    if (const AspellError *error = a.aspell_error(checker)) {
        m_error = QString::fromUtf8(error->mesg);
        a.delete_aspell_can_have_error(checker);
        a.delete_aspell_speller(m_speller);
        m_speller = nullptr;
        return false;
    }
    m_checker = a.to_aspell_document_checker(checker);
    a.aspell_document_checker_reset(m_checker);
    return true;
}

void Speller::process(const char *text)
{
    if (m_checker)
        aspell().aspell_document_checker_process(m_checker, text, -1);
}

SpellToken Speller::next()
{
    if (!m_checker)
        return {};
    const AspellToken token = aspell().aspell_document_checker_next_misspelling(m_checker);
    return {qint64(token.offset), qint64(token.len)};
}

std::vector<std::string> Speller::suggest(std::string_view word)
{
    std::vector<std::string> words;
    if (!m_speller || word.empty())
        return words;
    const AspellApi &a = aspell();
    const std::string copy(word);
    const AspellWordList *list = a.aspell_speller_suggest(m_speller, copy.c_str(), -1);
    if (!list)
        return words;
    AspellStringEnumeration *items = a.aspell_word_list_elements(list);
    while (const char *next = a.aspell_string_enumeration_next(items))
        words.emplace_back(next);
    a.delete_aspell_string_enumeration(items);
    return words;
}

bool Speller::addToSession(std::string_view word)
{
    if (!m_speller)
        return false;
    if (aspell().aspell_speller_add_to_session(m_speller, word.data(), wordSize(word)))
        return true;
    m_error = spellerError();
    return false;
}

bool Speller::addToPersonal(std::string_view word)
{
    if (!m_speller)
        return false;
    if (aspell().aspell_speller_add_to_personal(m_speller, word.data(), wordSize(word))) {
        m_personalChanged = true;
        return true;
    }
    m_error = spellerError();
    return false;
}

bool Speller::finish()
{
    if (!AspellLibrary::instance().isLoaded())
        return true;
    const AspellApi &a = aspell();
    bool saved = true;
    if (m_checker)
        a.delete_aspell_document_checker(m_checker);
    m_checker = nullptr;
    if (m_speller && m_personalChanged && !a.aspell_speller_save_all_word_lists(m_speller)) {
        m_error = spellerError();
        saved = false;
    }
    if (m_speller)
        a.delete_aspell_speller(m_speller);
    m_speller = nullptr;
    m_personalChanged = false;
    return saved;
}

QString Speller::spellerError() const
{
    const char *message = aspell().aspell_speller_error_message(m_speller);
    return message ? QString::fromUtf8(message) : QString();
}

} // namespace pw::spell
