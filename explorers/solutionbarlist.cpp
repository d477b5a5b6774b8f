// CSolutionBarList: the three insertion lists and the double click that inserts an entry.
#include "explorers/solutionbarlist.h"
#include "explorers/engine/listtables.h"
#include "explorers/insertion.h"

#include "framework/messages.h"
#include "resources/stringids.h"

#include <QComboBox>
#include <QListWidget>
#include <QResizeEvent>

namespace pw {

using namespace explorers;

CSolutionBarList::CSolutionBarList(Host &host, QWidget *parent)
    : QWidget(parent), m_host(host), m_combo(new QComboBox(this)), m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("CSolutionBarList"));
    m_combo->setObjectName(QStringLiteral("listCombo9009"));
    m_list->setObjectName(QStringLiteral("entryList1050"));
    setMinimumSize(60, 60);
    for (int kind = 0; kind < ListKindCount; ++kind)
        m_combo->addItem(resourceText(Str::ListNameFirst + kind), kind);
    connect(m_combo, &QComboBox::currentIndexChanged, this,
            [this](int index) { showList(m_combo->itemData(index).toInt()); });
    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { insertEntry(m_list->row(item)); });
    showList(0);
}

void CSolutionBarList::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_combo->setGeometry(0, 0, width(), 24);
    m_list->setGeometry(0, 24, width(), std::max(1, height() - 24));
}

void CSolutionBarList::showList(int kind)
{
    m_kind = std::clamp(kind, 0, ListKindCount - 1);
    m_list->clear();
    const std::vector<ListEntry> &table = listTable(ListKind(m_kind));
    QStringList texts;
    texts.reserve(qsizetype(table.size()));
    for (const ListEntry &entry : table)
        texts << fromWindows1252(entry.display);
    m_list->addItems(texts);
}

bool CSolutionBarList::insertEntry(int row)
{
    const std::vector<ListEntry> &table = listTable(ListKind(m_kind));
    if (row < 0 || size_t(row) >= table.size())
        return false;
    // Every document's editor holds UTF-8, so a code above 127 goes in as its character.
    return insertTemplateText(m_host, insertionBytes(table[size_t(row)], true));
}

} // namespace pw
