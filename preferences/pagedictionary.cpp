// CPageDictionary: lists the dictionaries Aspell finds for the chosen folder.
#include "preferences/pagedictionary.h"

#include "editor/editorhost.h"
#include "settings/appfolders.h"
#include "settings/framesettings.h"

#ifdef PENWRIGHT_WITH_SPELL
#include "spell/engine/aspellbinding.h"
#include "spell/engine/speller.h"
#endif

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QLineEdit>
#include <QSignalBlocker>

namespace pw {

QStringList CPageDictionary::dictionariesFor([[maybe_unused]] const QString &folder)
{
#ifdef PENWRIGHT_WITH_SPELL
    spell::AspellLibrary::instance().load();
    // A folder without dictionaries (the default one on a fresh system) means the system's.
    return spell::Speller::dictionaryNames(spell::Speller::effectivePrefix(folder));
#else
    return {};
#endif
}

CPageDictionary::CPageDictionary(EditorHost &host, QWidget *parent)
    : CPropertyPage(parent), m_host(host), m_folder(new QLineEdit(this)),
      m_dictionary(new QComboBox(this))
{
    const FrameSettings &s = host.settings();
    m_folder->setObjectName(QStringLiteral("dictionaryPath"));
    m_folder->setText(QDir::toNativeSeparators(s.dictionaryPath));
    m_dictionary->setObjectName(QStringLiteral("dictionary"));
    auto *layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Dictionary folder:"),
                   folderEditRow(m_folder, "dictionaryPathBrowse", this));
    layout->addRow(QStringLiteral("Dictionary:"), m_dictionary);
    fillDictionaries();
    const int current = m_dictionary->findText(s.dictionary);
    if (current >= 0)
        m_dictionary->setCurrentIndex(current);
    watch(m_folder);
    watch(m_dictionary);
    connect(m_folder, &QLineEdit::textChanged, this, &CPageDictionary::fillDictionaries);
}

void CPageDictionary::fillDictionaries()
{
    const QString chosen = m_dictionary->count() ? m_dictionary->currentText()
                                                 : m_host.settings().dictionary;
    const QStringList names = dictionariesFor(m_folder->text().trimmed());
    {
        const QSignalBlocker quiet(m_dictionary);
        m_dictionary->clear();
        m_dictionary->addItems(names);
        // Without Aspell nothing can be listed: the setting stays as it is, visibly unchangeable.
        if (names.isEmpty())
            m_dictionary->addItem(chosen);
        const int keep = m_dictionary->findText(chosen);
        m_dictionary->setCurrentIndex(keep >= 0 ? keep : 0);
    }
    m_dictionary->setEnabled(!names.isEmpty());
}

void CPageDictionary::apply()
{
    FrameSettings &s = m_host.settings();
    const QString folder = m_folder->text().trimmed();
    s.dictionaryPath = folder.isEmpty() ? AppFolders::dictionaryFolder() : QDir::cleanPath(folder);
    if (m_dictionary->isEnabled() && m_dictionary->currentIndex() >= 0)
        s.dictionary = m_dictionary->currentText();
}

} // namespace pw
