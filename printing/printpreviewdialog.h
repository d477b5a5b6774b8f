// CPrintPreviewDialog: the printed pages of a document, drawn one at a time as they are shown,
// while the page starts are found in the background.
#pragma once

#include <QDialog>
#include <memory>

class QLabel;
class QScrollArea;
class QSpinBox;
class QTimer;
class QToolButton;

namespace pw {

class Host;
class PrintJob;
class Progress;

class CPrintPreviewDialog : public QDialog
{
    Q_OBJECT
public:
    // job: the document's pages, laid out for the printer; host shows the count's progress.
    CPrintPreviewDialog(Host &host, std::unique_ptr<PrintJob> job, QWidget *parent = nullptr);
    ~CPrintPreviewDialog() override;

    // The user asked to print from here (the dialog then closes).
    bool printRequested() const { return m_printRequested; }
    // Page shown, counted from 1, and the pages known so far.
    int currentPage() const { return m_page + 1; }
    int knownPages() const;
    bool countComplete() const;
    // Shows page (counted from 1); false when its start is not known yet.
    bool showPage(int page);
    // The page as it is shown.
    QImage shownPage() const;
    // Stops the page count where it is; the pages found so far stay reachable.
    void stopCounting();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void countSlice();
    void render();
    void updateControls();

    Host &m_host;
    std::unique_ptr<PrintJob> m_job;
    std::unique_ptr<Progress> m_progress;
    QTimer *m_counter;
    QScrollArea *m_scroll;
    QLabel *m_pageView;
    QSpinBox *m_pageBox;
    QLabel *m_countLabel;
    QToolButton *m_stop;
    int m_page = 0;
    qreal m_dpi = 96;
    bool m_stopped = false;
    bool m_printRequested = false;
};

} // namespace pw
