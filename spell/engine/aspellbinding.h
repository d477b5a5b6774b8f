// AspellLibrary: GNU Aspell's C interface, bound at run time from its shared library.
#pragma once

#include <QLibrary>
#include <QString>
#include <map>
#include <string>

namespace pw::spell {

// Aspell's objects stay opaque; only the two records its C interface hands back by value or
// pointer are spelled out, as its documentation describes them.
struct AspellCanHaveError;
struct AspellConfig;
struct AspellSpeller;
struct AspellDocumentChecker;
struct AspellWordList;
struct AspellStringEnumeration;
struct AspellDictInfoList;
struct AspellDictInfoEnumeration;
struct AspellErrorInfo;
struct AspellModuleInfo;

struct AspellToken
{
    unsigned int offset;
    unsigned int len;
};

struct AspellError
{
    const char *mesg;
    const AspellErrorInfo *err;
};

struct AspellDictInfo
{
    const char *name;
    const char *code;
    const char *jargon;
    int size;
    const char *size_str;
    const AspellModuleInfo *module;
};

// The entry points the spell checker calls. A library that lacks one of them is not bound; the rest
// of the interface is fetched by name as well (entry()), and older releases may lack some of it.
struct AspellApi
{
    AspellConfig *(*new_aspell_config)();
    int (*aspell_config_replace)(AspellConfig *, const char *key, const char *value);
    void (*delete_aspell_config)(AspellConfig *);
    AspellCanHaveError *(*new_aspell_speller)(AspellConfig *);
    const AspellError *(*aspell_error)(const AspellCanHaveError *);
    void (*delete_aspell_can_have_error)(AspellCanHaveError *);
    AspellSpeller *(*to_aspell_speller)(AspellCanHaveError *);
    AspellConfig *(*aspell_speller_config)(AspellSpeller *);
    AspellCanHaveError *(*new_aspell_document_checker)(AspellSpeller *);
    AspellDocumentChecker *(*to_aspell_document_checker)(AspellCanHaveError *);
    void (*aspell_document_checker_reset)(AspellDocumentChecker *);
    void (*aspell_document_checker_process)(AspellDocumentChecker *, const char *text, int size);
    AspellToken (*aspell_document_checker_next_misspelling)(AspellDocumentChecker *);
    const AspellWordList *(*aspell_speller_suggest)(AspellSpeller *, const char *word, int size);
    AspellStringEnumeration *(*aspell_word_list_elements)(const AspellWordList *);
    const char *(*aspell_string_enumeration_next)(AspellStringEnumeration *);
    void (*delete_aspell_string_enumeration)(AspellStringEnumeration *);
    int (*aspell_speller_add_to_session)(AspellSpeller *, const char *word, int size);
    int (*aspell_speller_add_to_personal)(AspellSpeller *, const char *word, int size);
    int (*aspell_speller_save_all_word_lists)(AspellSpeller *);
    void (*delete_aspell_document_checker)(AspellDocumentChecker *);
    void (*delete_aspell_speller)(AspellSpeller *);
    AspellDictInfoList *(*get_aspell_dict_info_list)(AspellConfig *);
    AspellDictInfoEnumeration *(*aspell_dict_info_list_elements)(const AspellDictInfoList *);
    int (*aspell_dict_info_enumeration_at_end)(const AspellDictInfoEnumeration *);
    const AspellDictInfo *(*aspell_dict_info_enumeration_next)(AspellDictInfoEnumeration *);
    void (*delete_aspell_dict_info_enumeration)(AspellDictInfoEnumeration *);
    // Why a speller call failed, in Aspell's words.
    const char *(*aspell_speller_error_message)(const AspellSpeller *);
};

class AspellLibrary
{
public:
    // The one binding of the process.
    static AspellLibrary &instance();

    // Loads the library and fetches the interface; true when every entry point was found.
    // Loading again while loaded does nothing.
    bool load();
    void unload();
    bool isLoaded() const { return m_loaded; }
    // Valid while loaded.
    const AspellApi &api() const { return m_api; }
    // Any entry point of the interface by name; null when the library has none of that name.
    void *entry(const std::string &name) const;
    // Why the last load failed.
    QString errorText() const { return m_error; }

    // The library's file name; tests name one that does not exist to see spelling go.
    static QString defaultFileName();
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    QString fileName() const { return m_fileName; }

private:
    AspellLibrary();
    QString m_fileName;
    QLibrary m_library;
    AspellApi m_api{};
    std::map<std::string, void *> m_entries;
    bool m_loaded = false;
    QString m_error;
};

// Shorthand for the bound interface.
inline const AspellApi &aspell()
{
    return AspellLibrary::instance().api();
}

} // namespace pw::spell
