// CPageVersion: the three backup modes, the advanced group that only the versions mode enables.
#include "preferences/pageversion.h"

#include "chrome/dialogcontrols.h"
#include "editor/editorhost.h"
#include "framework/messages.h"
#include "resources/stringids.h"
#include "settings/appfolders.h"
#include "settings/framesettings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace pw {

CPageVersion::CPageVersion(EditorHost &host, QWidget *parent)
    : CPropertyPage(parent), m_host(host), m_folder(new QLineEdit(this))
{
    const FrameSettings &s = host.settings();
    static const char *const texts[3] = {
        "No Backup",
        "Simple backup.  Create a single file in the same folder as the active document.  Files "
        "will be suffixed with BAK extension.",
        "Adv Backup.  Create multiple backups that can be compared with the active document."};
    static const char *const names[3] = {"backupNone", "backupSimple", "backupVersions"};
    auto *group = new QButtonGroup(this);
    auto *layout = new QVBoxLayout(this);
    for (int i = 0; i < 3; ++i) {
        m_modes[i] = new QRadioButton(QString::fromLatin1(texts[i]), this);
        m_modes[i]->setObjectName(QLatin1String(names[i]));
        group->addButton(m_modes[i], i);
        layout->addWidget(m_modes[i]);
    }
    m_modes[std::clamp(s.backupSetting, 0, 2)]->setChecked(true);

    m_advanced = new QGroupBox(QStringLiteral("Advanced backup"), this);
    m_folder->setObjectName(QStringLiteral("backupFolder"));
    m_folder->setText(QDir::toNativeSeparators(s.backupFolder));
    m_versions = new NumberEdit(prefs::VersionsRule, "versions", s.versions, m_advanced);
    m_deleteOnExit = dialogCheckBox(QStringLiteral("Delete backups when a document is closed"),
                                    "deleteOnExit", s.deleteOnExit, m_advanced);
    m_deleteFiles = dialogButton(QStringLiteral("Delete Files..."), "deleteFiles", m_advanced);
    auto *form = new QFormLayout(m_advanced);
    form->addRow(QStringLiteral("Location:"), folderEditRow(m_folder, "backupFolderBrowse", m_advanced));
    form->addRow(QStringLiteral("Number of versions:"), m_versions);
    form->addRow(m_deleteOnExit);
    form->addRow(m_deleteFiles);
    layout->addWidget(m_advanced);
    layout->addStretch();

    for (QWidget *control :
         {static_cast<QWidget *>(m_modes[0]), static_cast<QWidget *>(m_modes[1]),
          static_cast<QWidget *>(m_modes[2]), static_cast<QWidget *>(m_folder),
          static_cast<QWidget *>(m_versions), static_cast<QWidget *>(m_deleteOnExit)})
        watch(control);
    connect(group, &QButtonGroup::idToggled, this, [this] { updateAdvanced(); });
    connect(m_deleteFiles, &QPushButton::clicked, this, &CPageVersion::deleteFiles);
    updateAdvanced();
}

int CPageVersion::mode() const
{
    for (int i = 0; i < 3; ++i) {
        if (m_modes[i]->isChecked())
            return i;
    }
    return 0;
}

void CPageVersion::updateAdvanced()
{
    m_advanced->setEnabled(mode() == 2);
    // Without the backup subsystem there is nothing that could delete the copies.
    m_deleteFiles->setEnabled(m_host.backups() != nullptr);
}

void CPageVersion::deleteFiles()
{
    BackupService *backups = m_host.backups();
    if (!backups)
        return;
    if (showMessage(window(), MessageIcon::Question, Str::BackupDeleteAllQuestion,
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    backups->deleteAllBackups();
}

void CPageVersion::apply()
{
    FrameSettings &s = m_host.settings();
    s.backupSetting = mode();
    s.deleteOnExit = m_deleteOnExit->isChecked();
    s.versions = m_versions->value();
    const QString folder = m_folder->text().trimmed();
    s.backupFolder = folder.isEmpty() ? AppFolders::backupFolder() : QDir::cleanPath(folder);
    if (BackupService *backups = m_host.backups()) {
        backups->applyBackupSettings();
    } else if (s.backupSetting == 2 && !QFileInfo(s.backupFolder).isDir()) {
        QDir().mkpath(s.backupFolder);
    }
}

} // namespace pw
