// CPageFileFilter: lists, adds, deletes and tries out the file dialogs' filter entries.
#include "preferences/pagefilefilter.h"

#include "chrome/dialogcontrols.h"
#include "editor/doccore/doccore.h"
#include "editor/editorhost.h"
#include "framework/messages.h"
#include "preferences/engine/filterentries.h"
#include "resources/stringids.h"
#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace pw {

namespace {

const QString filterSection = QString::fromLatin1(settings::section::FileFilter);
constexpr int KeyRole = Qt::UserRole;

CPageFileFilter::TestHook &testHook()
{
    static CPageFileFilter::TestHook hook;
    return hook;
}

} // namespace

void CPageFileFilter::setTestHook(TestHook hook)
{
    testHook() = std::move(hook);
}

CPageFileFilter::CPageFileFilter(EditorHost &host, QWidget *parent)
    : CPropertyPage(parent), m_host(host), m_list(new QTreeWidget(this)),
      m_label(new QLineEdit(this)), m_extension(new QLineEdit(this))
{
    m_list->setObjectName(QStringLiteral("filterList"));
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setHeaderLabels(
        {resourceText(Str::FilterColumnLabel), resourceText(Str::FilterColumnExtension)});
    m_list->header()->resizeSection(0, 100);
    m_list->header()->resizeSection(1, 200);
    m_label->setObjectName(QStringLiteral("filterLabel"));
    m_extension->setObjectName(QStringLiteral("filterExtension"));
    QPushButton *add = dialogButton(QStringLiteral("&Add"), "filterAdd", this);
    QPushButton *remove = dialogButton(QStringLiteral("&Delete"), "filterDelete", this);
    QPushButton *test = dialogButton(QStringLiteral("&Test"), "filterTest", this);

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_list, 0, 0, 1, 3);
    layout->addWidget(new QLabel(QStringLiteral("Label:"), this), 1, 0);
    layout->addWidget(m_label, 1, 1, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Extensions:"), this), 2, 0);
    layout->addWidget(m_extension, 2, 1, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addWidget(test);
    layout->addLayout(buttons, 3, 0, 1, 3);

    connect(add, &QPushButton::clicked, this, &CPageFileFilter::addFilter);
    connect(remove, &QPushButton::clicked, this, &CPageFileFilter::deleteFilters);
    connect(test, &QPushButton::clicked, this, &CPageFileFilter::testFilters);
    fill();
}

void CPageFileFilter::fill()
{
    m_list->clear();
    XmlSettingsStore store(m_host.settingsFile());
    QStringList keys;
    store.enumerateKeys(filterSection, keys);
    for (const QString &key : keys) {
        QString label, extension;
        if (!store.readLabelExtension(filterSection, key, label, extension) || label.isEmpty() ||
            extension.isEmpty())
            continue;
        auto *row = new QTreeWidgetItem(m_list, {label, extension});
        row->setData(0, KeyRole, key);
    }
}

QStringList CPageFileFilter::listedKeys() const
{
    QStringList keys;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        keys << m_list->topLevelItem(i)->data(0, KeyRole).toString();
    return keys;
}

void CPageFileFilter::addFilter()
{
    const QString label = m_label->text();
    const QString extension = m_extension->text();
    if (label.isEmpty() || extension.isEmpty())
        return;
    const QString key = prefs::nextFilterEntryKey(listedKeys());
    XmlSettingsStore store(m_host.settingsFile());
    if (!store.writeLabelExtension(filterSection, key, label, extension)) {
        showMessage(window(), MessageIcon::Exclamation, Str::FailedSaveFileExtension);
        return;
    }
    auto *row = new QTreeWidgetItem(m_list, {label, extension});
    row->setData(0, KeyRole, key);
    m_label->clear();
    m_extension->clear();
    m_label->setFocus();
}

void CPageFileFilter::deleteFilters()
{
    if (m_list->selectedItems().isEmpty()) {
        showMessage(window(), MessageIcon::Information, Str::SelectFiltersBeforeDelete);
        return;
    }
    XmlSettingsStore store(m_host.settingsFile());
    // Each deletion renumbers the rows, so the scan starts again from the top.
    for (int i = 0; i < m_list->topLevelItemCount();) {
        QTreeWidgetItem *row = m_list->topLevelItem(i);
        if (!row->isSelected()) {
            ++i;
            continue;
        }
        store.deleteKey(filterSection, row->data(0, KeyRole).toString());
        delete row;
        i = 0;
    }
}

void CPageFileFilter::testFilters()
{
    const auto filters =
        doc::parseFilterString(XmlSettingsStore(m_host.settingsFile()).buildFilterString());
    QStringList names;
    for (const doc::FileFilter &filter : filters)
        names << doc::toQtFilter(filter);
    if (testHook()) {
        testHook()(names);
        return;
    }
    QFileDialog dialog(window());
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(names);
    dialog.exec();
}

} // namespace pw
