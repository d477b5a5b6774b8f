// CCompareDocument, CCompareView and CCompareFrame: the compare window around the compare control.
#pragma once

#include "framework/document.h"

#include <QRect>
#include <QStringList>
#include <QWidget>

class QMenu;

namespace pw {

class CompareWin;
class EditorHost;

// A compare window's document: no content of its own, only the temporary files made for the
// comparison (snapshots of unsaved text), which go when the window closes.
class CCompareDocument : public CDocument
{
    Q_OBJECT
public:
    explicit CCompareDocument(Host &host);
    ~CCompareDocument() override;

    bool onOpenDocument(const QString &, const OpenRequest &) override { return false; }
    bool doSave(const QString &, bool = true) override { return false; }
    bool saveModified() override { return true; }
    void onCloseDocument() override;

    // path is removed when the window closes.
    void removeOnClose(const QString &path);
    const QStringList &temporaryFiles() const { return m_temporaryFiles; }

private:
    void removeTemporaryFiles();

    QStringList m_temporaryFiles;
};

// The view: a header naming both files ("x.txt : y.c" over two coloured blocks) and the compare
// control under it.
class CCompareView : public QWidget, public CommandTarget
{
    Q_OBJECT
public:
    CCompareView(EditorHost &host, QWidget *parent = nullptr);
    ~CCompareView() override;

    CompareWin *control() const { return m_control; }
    // Compares two files: a fresh scratch file for the control's unified diff, the titles, the
    // request.
    void compare(const QString &first, const QString &second);
    QString headerText() const { return m_firstTitle + m_separator + m_secondTitle; }
    QString scratchPath() const { return m_scratch; }
    int headerHeight() const { return m_headerHeight; }
    // Menu 143 with the control's own entries (next and previous difference) after it.
    QMenu *createContextMenu();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutHeader();
    void showContextMenu(const QPoint &globalPos);

    EditorHost &m_host;
    CompareWin *m_control;
    QString m_firstTitle;
    QString m_secondTitle;
    QString m_separator;
    QString m_scratch;
    int m_headerHeight = 20;
    bool m_layoutPending = true;
    QRect m_firstBlock;
    QRect m_secondBlock;
    QRect m_textRect;
};

class CCompareFrame : public CMDIChildFrame
{
    Q_OBJECT
public:
    explicit CCompareFrame(EditorHost &host, QWidget *parent = nullptr);

    CommandTarget *activeView() const override;
    QWidget *viewWidget() const override;
    int menuId() const override;
    CCompareView *view() const { return m_view; }
    CCompareDocument *compareDocument() const;

private:
    CCompareView *m_view;
};

} // namespace pw
