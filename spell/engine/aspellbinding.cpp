// AspellLibrary: loads Aspell's shared library and fetches its C interface by name.
#include "spell/engine/aspellbinding.h"

#include <type_traits>

namespace pw::spell {

namespace {

// Aspell's C interface as release 0.60 exports it.
const char *const InterfaceNames[] = {
    "aspell_config_assign",
    "aspell_config_clone",
    "aspell_config_elements",
    "aspell_config_error",
    "aspell_config_error_message",
    "aspell_config_error_number",
    "aspell_config_get_default",
    "aspell_config_have",
    "aspell_config_keyinfo",
    "aspell_config_possible_elements",
    "aspell_config_remove",
    "aspell_config_replace",
    "aspell_config_retrieve",
    "aspell_config_retrieve_bool",
    "aspell_config_retrieve_int",
    "aspell_config_retrieve_list",
    "aspell_config_set_extra",
    "aspell_dict_info_enumeration_assign",
    "aspell_dict_info_enumeration_at_end",
    "aspell_dict_info_enumeration_clone",
    "aspell_dict_info_enumeration_next",
    "aspell_dict_info_list_elements",
    "aspell_dict_info_list_empty",
    "aspell_dict_info_list_size",
    "aspell_document_checker_error",
    "aspell_document_checker_error_message",
    "aspell_document_checker_error_number",
    "aspell_document_checker_filter",
    "aspell_document_checker_next_misspelling",
    "aspell_document_checker_next_misspelling_adj",
    "aspell_document_checker_process",
    "aspell_document_checker_process_wide",
    "aspell_document_checker_reset",
    "aspell_error",
    "aspell_error_is_a",
    "aspell_error_message",
    "aspell_error_number",
    "aspell_filter_error",
    "aspell_filter_error_message",
    "aspell_filter_error_number",
    "aspell_gettext_init",
    "aspell_key_info_enumeration_assign",
    "aspell_key_info_enumeration_at_end",
    "aspell_key_info_enumeration_clone",
    "aspell_key_info_enumeration_next",
    "aspell_module_info_enumeration_assign",
    "aspell_module_info_enumeration_at_end",
    "aspell_module_info_enumeration_clone",
    "aspell_module_info_enumeration_next",
    "aspell_module_info_list_elements",
    "aspell_module_info_list_empty",
    "aspell_module_info_list_size",
    "aspell_mutable_container_add",
    "aspell_mutable_container_clear",
    "aspell_mutable_container_remove",
    "aspell_mutable_container_to_mutable_container",
    "aspell_reset_cache",
    "aspell_speller_add_to_personal",
    "aspell_speller_add_to_personal_wide",
    "aspell_speller_add_to_session",
    "aspell_speller_add_to_session_wide",
    "aspell_speller_check",
    "aspell_speller_check_wide",
    "aspell_speller_clear_session",
    "aspell_speller_config",
    "aspell_speller_error",
    "aspell_speller_error_message",
    "aspell_speller_error_number",
    "aspell_speller_main_word_list",
    "aspell_speller_personal_word_list",
    "aspell_speller_save_all_word_lists",
    "aspell_speller_session_word_list",
    "aspell_speller_store_replacement",
    "aspell_speller_store_replacement_wide",
    "aspell_speller_suggest",
    "aspell_speller_suggest_wide",
    "aspell_string_enumeration_assign",
    "aspell_string_enumeration_at_end",
    "aspell_string_enumeration_clone",
    "aspell_string_enumeration_next",
    "aspell_string_enumeration_next_wide",
    "aspell_string_list_add",
    "aspell_string_list_assign",
    "aspell_string_list_clear",
    "aspell_string_list_clone",
    "aspell_string_list_elements",
    "aspell_string_list_empty",
    "aspell_string_list_remove",
    "aspell_string_list_size",
    "aspell_string_list_to_mutable_container",
    "aspell_string_map_add",
    "aspell_string_map_assign",
    "aspell_string_map_clear",
    "aspell_string_map_clone",
    "aspell_string_map_elements",
    "aspell_string_map_empty",
    "aspell_string_map_insert",
    "aspell_string_map_lookup",
    "aspell_string_map_remove",
    "aspell_string_map_replace",
    "aspell_string_map_size",
    "aspell_string_map_to_mutable_container",
    "aspell_string_pair_enumeration_assign",
    "aspell_string_pair_enumeration_at_end",
    "aspell_string_pair_enumeration_clone",
    "aspell_string_pair_enumeration_next",
    "aspell_version_string",
    "aspell_word_list_elements",
    "aspell_word_list_empty",
    "aspell_word_list_size",
    "delete_aspell_can_have_error",
    "delete_aspell_config",
    "delete_aspell_dict_info_enumeration",
    "delete_aspell_document_checker",
    "delete_aspell_filter",
    "delete_aspell_key_info_enumeration",
    "delete_aspell_module_info_enumeration",
    "delete_aspell_speller",
    "delete_aspell_string_enumeration",
    "delete_aspell_string_list",
    "delete_aspell_string_map",
    "delete_aspell_string_pair_enumeration",
    "get_aspell_dict_info_list",
    "get_aspell_module_info_list",
    "new_aspell_config",
    "new_aspell_document_checker",
    "new_aspell_speller",
    "new_aspell_string_list",
    "new_aspell_string_map",
    "new_aspell_url_filter",
    "to_aspell_document_checker",
    "to_aspell_filter",
    "to_aspell_speller",
};

} // namespace

AspellLibrary &AspellLibrary::instance()
{
    static AspellLibrary library;
    return library;
}

AspellLibrary::AspellLibrary() : m_fileName(defaultFileName()) {}

QString AspellLibrary::defaultFileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("aspell-15.dll");
#else
    return QStringLiteral("libaspell.so.15");
#endif
}

bool AspellLibrary::load()
{
    if (m_loaded)
        return true;
    m_library.setFileName(m_fileName);
    if (!m_library.load()) {
        m_error = m_library.errorString();
        return false;
    }
    m_entries.clear();
    for (const char *name : InterfaceNames)
        m_entries[name] = reinterpret_cast<void *>(m_library.resolve(name));

    bool complete = true;
    const auto bind = [this, &complete](auto &slot, const char *name) {
        void *address = reinterpret_cast<void *>(m_library.resolve(name));
        if (!address) {
            complete = false;
            m_error = QStringLiteral("%1 has no %2").arg(m_fileName, QString::fromLatin1(name));
        }
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(address);
        m_entries[name] = address;
    };
    bind(m_api.new_aspell_config, "new_aspell_config");
    bind(m_api.aspell_config_replace, "aspell_config_replace");
    bind(m_api.delete_aspell_config, "delete_aspell_config");
    bind(m_api.new_aspell_speller, "new_aspell_speller");
    bind(m_api.aspell_error, "aspell_error");
    bind(m_api.delete_aspell_can_have_error, "delete_aspell_can_have_error");
    bind(m_api.to_aspell_speller, "to_aspell_speller");
    bind(m_api.aspell_speller_config, "aspell_speller_config");
    bind(m_api.new_aspell_document_checker, "new_aspell_document_checker");
    bind(m_api.to_aspell_document_checker, "to_aspell_document_checker");
    bind(m_api.aspell_document_checker_reset, "aspell_document_checker_reset");
    bind(m_api.aspell_document_checker_process, "aspell_document_checker_process");
    bind(m_api.aspell_document_checker_next_misspelling,
         "aspell_document_checker_next_misspelling");
    bind(m_api.aspell_speller_suggest, "aspell_speller_suggest");
    bind(m_api.aspell_word_list_elements, "aspell_word_list_elements");
    bind(m_api.aspell_string_enumeration_next, "aspell_string_enumeration_next");
    bind(m_api.delete_aspell_string_enumeration, "delete_aspell_string_enumeration");
    bind(m_api.aspell_speller_add_to_session, "aspell_speller_add_to_session");
    bind(m_api.aspell_speller_add_to_personal, "aspell_speller_add_to_personal");
    bind(m_api.aspell_speller_save_all_word_lists, "aspell_speller_save_all_word_lists");
    bind(m_api.delete_aspell_document_checker, "delete_aspell_document_checker");
    bind(m_api.delete_aspell_speller, "delete_aspell_speller");
    bind(m_api.get_aspell_dict_info_list, "get_aspell_dict_info_list");
    bind(m_api.aspell_dict_info_list_elements, "aspell_dict_info_list_elements");
    bind(m_api.aspell_dict_info_enumeration_at_end, "aspell_dict_info_enumeration_at_end");
    bind(m_api.aspell_dict_info_enumeration_next, "aspell_dict_info_enumeration_next");
    bind(m_api.delete_aspell_dict_info_enumeration, "delete_aspell_dict_info_enumeration");
    bind(m_api.aspell_speller_error_message, "aspell_speller_error_message");
    if (!complete) {
        m_api = {};
        m_library.unload();
        return false;
    }
    m_error.clear();
    m_loaded = true;
    return true;
}

void AspellLibrary::unload()
{
    if (!m_loaded)
        return;
    m_api = {};
    m_entries.clear();
    m_library.unload();
    m_loaded = false;
}

void *AspellLibrary::entry(const std::string &name) const
{
    const auto it = m_entries.find(name);
    return it == m_entries.end() ? nullptr : it->second;
}

} // namespace pw::spell
