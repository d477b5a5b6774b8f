// CHTMLPreviewDoc, CHTMLPreviewView and CHTMLPreviewFrame: the web preview window.
#pragma once

#include "framework/document.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>
#include <memory>

class QStackedWidget;
class QTextBrowser;
class QWebEngineView;

namespace pw {

class Host;

// The preview's document holds no file of its own: it shows a text given to it, or (opened with a
// path) that file's content. There is nothing to save.
class CHTMLPreviewDoc : public CDocument
{
    Q_OBJECT
public:
    explicit CHTMLPreviewDoc(Host &host, QObject *parent = nullptr);

    bool onNewDocument() override { return true; }
    bool onOpenDocument(const QString &path, const OpenRequest &request) override;
    bool doSave(const QString &, bool) override { return false; }
    bool saveModified() override { return true; }
};

// The page itself. It starts on "about:blank"; showHtml() puts a text in with relative links
// resolving against base. When the web engine cannot run (its process does not start or dies),
// the page is shown by a plain rich-text browser instead and the status bar says so.
class CHTMLPreviewView : public QWidget, public CommandTarget
{
    Q_OBJECT
public:
    CHTMLPreviewView(Host &host, QWidget *parent = nullptr);

    void showHtml(const QByteArray &utf8, const QUrl &base);
    QByteArray html() const { return m_html; }
    QUrl baseUrl() const { return m_base; }
    bool usesFallback() const { return m_fallback != nullptr; }
    QWebEngineView *webView() const { return m_web; }
    // How many texts the view was given.
    int loads() const { return m_loads; }

private:
    static constexpr qsizetype MaxInlineBytes = 2 * 1000 * 1000 - 4096;

    void switchToFallback();

    Host &m_host;
    QStackedWidget *m_stack;
    QWebEngineView *m_web;
    QTextBrowser *m_fallback = nullptr;
    QByteArray m_html;
    QUrl m_base;
    int m_loads = 0;
    std::unique_ptr<QTemporaryDir> m_spool;
};

class CHTMLPreviewFrame : public CMDIChildFrame
{
    Q_OBJECT
public:
    CHTMLPreviewFrame(Host &host, QWidget *parent = nullptr);

    CommandTarget *activeView() const override { return m_view; }
    QWidget *viewWidget() const override { return m_view; }
    int menuId() const override;
    CHTMLPreviewView *view() const { return m_view; }

private:
    CHTMLPreviewView *m_view;
};

// Sets what Chromium needs before the first web engine object is made: without a sandbox only
// when the program runs as root, which the sandbox refuses. True when it did.
bool prepareWebEngine();

} // namespace pw
