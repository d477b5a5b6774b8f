// The web preview window: a WebEngine page fed with a document's text, with a plain fallback.
#include "markup/htmlpreview.h"

#include "framework/host.h"
#include "framework/messages.h"
#include "resources/menuids.h"
#include "resources/stringids.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace pw {

bool prepareWebEngine()
{
#ifdef Q_OS_UNIX
    if (::geteuid() != 0)
        return false;
#else
    return false;
#endif
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--no-sandbox")) {
        if (!flags.isEmpty())
            flags += ' ';
        flags += "--no-sandbox";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
    return true;
}

CHTMLPreviewDoc::CHTMLPreviewDoc(Host &host, QObject *parent) : CDocument(host, parent)
{
    setTitle(resourceText(Str::DocTypeWebPreview).section(QLatin1Char('\n'), 1, 1));
}

bool CHTMLPreviewDoc::onOpenDocument(const QString &path, const OpenRequest &)
{
    if (path.isEmpty())
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    setTitle(QFileInfo(path).fileName());
    if (auto *previewFrame = qobject_cast<CHTMLPreviewFrame *>(frame()))
        previewFrame->view()->showHtml(
            file.readAll(), QUrl::fromLocalFile(QFileInfo(path).absolutePath() + QLatin1Char('/')));
    return true;
}

CHTMLPreviewView::CHTMLPreviewView(Host &host, QWidget *parent)
    : QWidget(parent), m_host(host), m_stack(new QStackedWidget(this))
{
    m_web = new QWebEngineView(m_stack);
    m_stack->addWidget(m_web);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_stack);
    connect(m_web->page(), &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (status != QWebEnginePage::NormalTerminationStatus)
                    switchToFallback();
            });
    m_web->setUrl(QUrl(QStringLiteral("about:blank")));
    setFocusProxy(m_web);
}

void CHTMLPreviewView::showHtml(const QByteArray &utf8, const QUrl &base)
{
    m_html = utf8;
    m_base = base;
    ++m_loads;
    if (m_fallback) {
        m_fallback->setSearchPaths({base.toLocalFile()});
        m_fallback->setHtml(QString::fromUtf8(utf8));
        return;
    }
    // setContent resolves relative links and images against base, as the file itself would. It
    // carries at most 2 MB; a bigger page goes through a file that names its base itself.
    if (utf8.size() < MaxInlineBytes) {
        m_web->setContent(utf8, QStringLiteral("text/html;charset=UTF-8"), base);
        return;
    }
    if (!m_spool)
        m_spool = std::make_unique<QTemporaryDir>();
    const QString path = m_spool->filePath(QStringLiteral("preview.html"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(QByteArray("<meta charset=\"utf-8\"><base href=\"") + base.toEncoded() +
                   QByteArray("\">"));
        file.write(utf8);
        file.close();
    }
    m_web->setUrl(QUrl::fromLocalFile(path));
}

void CHTMLPreviewView::switchToFallback()
{
    if (m_fallback)
        return;
    m_fallback = new QTextBrowser(m_stack);
    m_fallback->setOpenExternalLinks(false);
    m_stack->addWidget(m_fallback);
    m_stack->setCurrentWidget(m_fallback);
    setFocusProxy(m_fallback);
    m_host.setStatusText(StatusPane::Message, resourceText(Str::WebPreviewFallback));
    if (m_loads > 0) {
        --m_loads;
        showHtml(m_html, m_base);
    }
}

CHTMLPreviewFrame::CHTMLPreviewFrame(Host &host, QWidget *parent)
    : CMDIChildFrame(new CHTMLPreviewDoc(host), parent), m_view(new CHTMLPreviewView(host, this))
{
    setWidget(m_view);
    setFocusProxy(m_view);
}

int CHTMLPreviewFrame::menuId() const
{
    return MenuId::WebPreviewDocument;
}

} // namespace pw
