// CPageVersion: "Backup Manager", the backup mode, the versions' folder and count, deleting them.
#pragma once

#include "preferences/propertypage.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace pw {

class EditorHost;

class CPageVersion : public CPropertyPage
{
    Q_OBJECT
public:
    explicit CPageVersion(EditorHost &host, QWidget *parent = nullptr);

    int mode() const;
    // "Delete Files...": asks, then every backup of every document goes.
    void deleteFiles();

protected:
    void apply() override;

private:
    void updateAdvanced();

    EditorHost &m_host;
    QRadioButton *m_modes[3];
    QLineEdit *m_folder;
    NumberEdit *m_versions;
    QCheckBox *m_deleteOnExit;
    QWidget *m_advanced;
    QPushButton *m_deleteFiles;
};

} // namespace pw
