// The compare window: its document's temporary files, the header, the control and their commands.
#include "compare/compareview.h"

#include "compare/comparewin.h"
#include "editor/editorhost.h"
#include "framework/commandrouter.h"
#include "framework/messages.h"
#include "resources/commandids.h"
#include "resources/menuids.h"
#include "resources/stringids.h"
#include "settings/framesettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QTemporaryFile>

namespace pw {

namespace {
const QColor FirstBlockColour(248, 133, 118);
const QColor SecondBlockColour(247, 243, 121);
} // namespace

// ---- CCompareDocument

CCompareDocument::CCompareDocument(Host &host) : CDocument(host)
{
    // Nothing here is a file of the user's to save.
    const auto never = [](CommandUi &ui) { ui.enabled = false; };
    onCommand(Cmd::FileSave, {}, never);
    onCommand(Cmd::FileSaveAs, {}, never);
}

CCompareDocument::~CCompareDocument()
{
    removeTemporaryFiles();
}

void CCompareDocument::onCloseDocument()
{
    removeTemporaryFiles();
}

void CCompareDocument::removeOnClose(const QString &path)
{
    m_temporaryFiles << path;
}

void CCompareDocument::removeTemporaryFiles()
{
    for (const QString &path : std::as_const(m_temporaryFiles))
        QFile::remove(path);
    m_temporaryFiles.clear();
}

// ---- CCompareView

CCompareView::CCompareView(EditorHost &host, QWidget *parent)
    : QWidget(parent), m_host(host), m_separator(resourceText(Str::CompareHeaderSeparator))
{
    setObjectName(QStringLiteral("CompareView"));
    m_control = new CompareWin(this);
    m_control->setProperty("controlId", CompareWin::ControlId);
    setFocusProxy(m_control);
    const FrameSettings &settings = host.settings();
    if (!settings.fontStyle.isEmpty() && settings.fontSize > 0)
        m_control->setTextFont(QFont(settings.fontStyle, settings.fontSize));
    connect(m_control, &CompareWin::contextMenuRequested, this, &CCompareView::showContextMenu);

    onCommand(
        Cmd::EditCopy, [this] { m_control->sendMessage(CompareWin::CopyMessage); },
        [this](CommandUi &ui) {
            ui.enabled = m_control->sendMessage(CompareWin::HasSelectionMessage) != 0;
        });
    onCommand(Cmd::EditSelectAll, [this] { m_control->sendMessage(CompareWin::SelectAllMessage); });
}

CCompareView::~CCompareView()
{
    // The control stops its worker first; only then is the scratch file nobody's.
    delete m_control;
    if (!m_scratch.isEmpty())
        QFile::remove(m_scratch);
}

void CCompareView::compare(const QString &first, const QString &second)
{
    QTemporaryFile scratch(QDir(QDir::tempPath()).filePath(QStringLiteral("wdfXXXXXX")));
    scratch.setAutoRemove(false);
    if (scratch.open()) {
        if (!m_scratch.isEmpty())
            QFile::remove(m_scratch);
        m_scratch = scratch.fileName();
    }
    m_firstTitle += QFileInfo(first).fileName();
    m_secondTitle += QFileInfo(second).fileName();
    m_layoutPending = true;
    update();
    const CompareWin::Request request{first, second, m_scratch};
    m_control->sendMessage(CompareWin::CompareMessage, &request);
}

void CCompareView::layoutHeader()
{
    const QFontMetrics metrics(font());
    const int firstWidth = metrics.horizontalAdvance(m_firstTitle);
    const int separatorWidth = metrics.horizontalAdvance(m_separator);
    const int textWidth = metrics.horizontalAdvance(headerText());
    const QRect client = rect();
    m_headerHeight = metrics.height() + 2;
    const int x0 = client.width() / 2 - textWidth / 2;
    m_firstBlock = QRect(QPoint(2, 2), QPoint(x0 + firstWidth, m_headerHeight - 2));
    m_secondBlock = QRect(QPoint(x0 + firstWidth + separatorWidth, 2),
                          QPoint(client.right() - 2, m_headerHeight - 2));
    m_textRect = client.adjusted(x0, 0, 0, 0);
    m_layoutPending = false;
}

void CCompareView::paintEvent(QPaintEvent *)
{
    if (m_layoutPending)
        layoutHeader();
    QPainter painter(this);
    painter.fillRect(m_firstBlock, FirstBlockColour);
    painter.fillRect(m_secondBlock, SecondBlockColour);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(m_textRect, Qt::AlignLeft | Qt::AlignTop, headerText());
    painter.drawLine(0, m_headerHeight, rect().right(), m_headerHeight);
}

void CCompareView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The header height follows the font, which is known once the view is laid out.
    layoutHeader();
    m_layoutPending = true;
    m_control->setGeometry(0, m_headerHeight + 2, width(),
                           std::max(0, height() - m_headerHeight - 2));
}

QMenu *CCompareView::createContextMenu()
{
    CommandRouter *router = m_host.router();
    if (!router)
        return nullptr;
    QMenu *menu = router->buildPopupMenu(MenuId::CompareContext, this);
    // The control's own entries, with their keys.
    menu->addSeparator();
    menu->addActions(m_control->menuActions());
    return menu;
}

void CCompareView::showContextMenu(const QPoint &globalPos)
{
    if (QMenu *menu = createContextMenu()) {
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(globalPos);
    }
}

// ---- CCompareFrame

CCompareFrame::CCompareFrame(EditorHost &host, QWidget *parent)
    : CMDIChildFrame(new CCompareDocument(host), parent)
{
    m_view = new CCompareView(host, this);
    setWidget(m_view);
    setFocusProxy(m_view);
}

CommandTarget *CCompareFrame::activeView() const
{
    return m_view;
}

QWidget *CCompareFrame::viewWidget() const
{
    return m_view;
}

int CCompareFrame::menuId() const
{
    return MenuId::CompareDocument;
}

CCompareDocument *CCompareFrame::compareDocument() const
{
    return static_cast<CCompareDocument *>(document());
}

} // namespace pw
