// CPageDictionary: "Spell Checker", the dictionary folder and the dictionary spelling uses.
#pragma once

#include "preferences/propertypage.h"

class QComboBox;
class QLineEdit;

namespace pw {

class EditorHost;

class CPageDictionary : public CPropertyPage
{
    Q_OBJECT
public:
    explicit CPageDictionary(EditorHost &host, QWidget *parent = nullptr);

    // The dictionaries found for folder; empty when the program cannot spell.
    static QStringList dictionariesFor(const QString &folder);

protected:
    void apply() override;

private:
    void fillDictionaries();

    EditorHost &m_host;
    QLineEdit *m_folder;
    QComboBox *m_dictionary;
};

} // namespace pw
