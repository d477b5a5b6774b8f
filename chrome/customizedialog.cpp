// The customisation dialog's shell: its pages by number, the Close button and its life.
#include "chrome/customizedialog.h"

#include "chrome/commandbars.h"
#include "chrome/customizepage.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace pw {

namespace {

const char kPageProperty[] = "customizePage";

} // namespace

CustomizeDialog::CustomizeDialog(CommandBars *bars, QWidget *parent)
    : QDialog(parent), m_bars(bars), m_tabs(new QTabWidget(this))
{
    setObjectName(QStringLiteral("CustomizeDialog"));
    setWindowTitle(QStringLiteral("Customize"));
    setWindowModality(Qt::ApplicationModal);
    setSizeGripEnabled(true);
    m_tabs->setObjectName(QStringLiteral("customizeTabs"));

    addPage(CommandBars::ToolbarsPage, QStringLiteral("Toolbars"), makeToolbarsPage(bars, this),
            -1);
    addPage(CommandBars::CommandsPage, QStringLiteral("Commands"), makeCommandsPage(bars, this),
            -1);
    addPage(CommandBars::KeyboardPage, QStringLiteral("Keyboard"), makeKeyboardPage(bars, this),
            -1);
    addPage(CommandBars::MenusPage, QStringLiteral("Menus"), makeMenusPage(bars, this), -1);
    addPage(CommandBars::OptionsPage, QStringLiteral("Options"), makeOptionsPage(bars, this), -1);
    addPage(CommandBars::PresentationPage, QStringLiteral("Presentation"),
            makePresentationPage(bars, this), -1);
    for (const auto &extra : bars->extraPages()) {
        if (QWidget *widget = extra.factory(this))
            addPage(extra.id, extra.title, widget, extra.before);
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    resize(640, 460);

    // However it ends (Close, Escape, the title bar), the dialog goes away.
    connect(this, &QDialog::finished, this, &QObject::deleteLater);
}

CustomizeDialog::~CustomizeDialog()
{
    // Pages go first: a page that hands its edits back when it is destroyed must have done so
    // before the owner hears that customising is over.
    delete m_tabs;
    m_tabs = nullptr;
    m_bars->dialogClosed();
}

void CustomizeDialog::addPage(int pageId, const QString &title, QWidget *page, int beforePageId)
{
    page->setProperty(kPageProperty, pageId);
    int index = -1;
    if (beforePageId >= 0) {
        for (int i = 0; i < m_tabs->count(); ++i) {
            if (m_tabs->widget(i)->property(kPageProperty).toInt() == beforePageId)
                index = i;
        }
    }
    m_tabs->insertTab(index, page, title);
}

void CustomizeDialog::setCurrentPage(int page)
{
    if (QWidget *widget = this->page(page))
        m_tabs->setCurrentWidget(widget);
    else
        m_tabs->setCurrentIndex(0);
}

int CustomizeDialog::currentPage() const
{
    QWidget *widget = m_tabs ? m_tabs->currentWidget() : nullptr;
    return widget ? widget->property(kPageProperty).toInt() : -1;
}

QWidget *CustomizeDialog::page(int pageId) const
{
    if (!m_tabs)
        return nullptr;
    for (int i = 0; i < m_tabs->count(); ++i) {
        QWidget *widget = m_tabs->widget(i);
        if (widget->property(kPageProperty).toInt() == pageId)
            return widget;
    }
    return nullptr;
}

} // namespace pw
