// The customise pages' shared part: the page base and the helpers every page lists commands with.
#include "chrome/customizepage.h"

#include "chrome/commandbars.h"
#include "chrome/toolbaricons.h"
#include "resources/commandids.h"
#include "resources/menuids.h"

#include <QListWidgetItem>
#include <QStringList>
#include <QToolBar>

namespace pw {

CustomizePage::CustomizePage(CommandBars *bars, QWidget *parent) : QWidget(parent), m_bars(bars)
{
    QObject::connect(bars, &CommandBars::changed, this, [this] {
        if (!m_applying)
            refresh();
    });
}

namespace customize {

const QList<int> &menuBars()
{
    static const QList<int> ids = {MenuId::TextDocument, MenuId::MainFrame, MenuId::HexDocument,
                                   MenuId::CompareDocument, MenuId::WebPreviewDocument};
    return ids;
}

QString menuBarName(int menuId)
{
    switch (menuId) {
    case MenuId::MainFrame:
        return QStringLiteral("No document open");
    case MenuId::TextDocument:
        return QStringLiteral("Text document");
    case MenuId::HexDocument:
        return QStringLiteral("Hex document");
    case MenuId::CompareDocument:
        return QStringLiteral("Compare window");
    case MenuId::WebPreviewDocument:
        return QStringLiteral("Web preview");
    default:
        return QStringLiteral("Menu %1").arg(menuId);
    }
}

bool isRunTimeEntry(int id)
{
    return (id >= Cmd::FileMru1 && id <= Cmd::FileMru4) || id == Cmd::RunTool;
}

QString keysText(const QList<QKeySequence> &keys)
{
    QStringList parts;
    for (const QKeySequence &key : keys)
        parts.append(key.toString(QKeySequence::NativeText));
    return parts.join(QStringLiteral(", "));
}

QToolBar *toolBarNamed(const CommandBars *bars, const QString &objectName)
{
    for (QToolBar *bar : bars->toolBars()) {
        if (bar->objectName() == objectName)
            return bar;
    }
    return nullptr;
}

QListWidgetItem *commandItem(const CommandBars *bars, int id)
{
    auto *item = new QListWidgetItem;
    item->setData(kIdRole, id);
    if (id == 0) {
        item->setText(QStringLiteral("—— Separator ——"));
        item->setForeground(Qt::gray);
        return item;
    }
    item->setText(CommandBars::commandText(id));
    if (!bars->isControlId(id))
        item->setIcon(commandIcon(id));
    return item;
}

} // namespace customize

} // namespace pw
