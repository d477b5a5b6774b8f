// CFunctionList: refresh requests, the quiet-time timer, the worker's results and the list.
#include "functionlist/functionlistpane.h"

#include "framework/messages.h"
#include "resources/stringids.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <Qsci/qsciscintillabase.h>

namespace pw {

using namespace functionlist;

CFunctionList::CFunctionList(QWidget *parent, ParseOptions options) : QWidget(parent)
{
    setObjectName(QStringLiteral("FunctionList"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("FunctionListBox"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    layout->addWidget(m_list);
    m_list->viewport()->installEventFilter(this);

    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setObjectName(QString::number(RefreshTimerId));
    connect(&m_refreshTimer, &QTimer::timeout, this, &CFunctionList::startParse);

    // The worker calls back on its own thread: it leaves the result in the mailbox under the
    // lock and asks this pane's thread to take it. A call still queued when the pane goes away
    // is dropped with it.
    m_worker = std::make_unique<FunctionListWorker>(
        [this](const ParseRequest &request, ParseResult result) {
            {
                std::lock_guard lock(m_mailboxLock);
                m_mailbox = Delivery{request.serial, std::move(result)};
            }
            QMetaObject::invokeMethod(this, "takeResult", Qt::QueuedConnection);
        },
        options);
}

CFunctionList::~CFunctionList()
{
    m_refreshTimer.stop();
    // Stops a running parse and joins the thread before the list goes.
    m_worker.reset();
}

void CFunctionList::requestRefresh(const QString &path, int lexerId, qsizetype length, bool force,
                                   int delayMs, TextSource source, bool utf8)
{
    const bool changed = path != m_path || lexerId != m_lexerId;
    if (lexerId > 0 && length < MaxDocumentBytes) {
        if (!changed && !force)
            return;
        m_path = path;
        m_lexerId = lexerId;
        m_forced = force;
        m_utf8 = utf8;
        m_source = std::move(source);
        // Restarting postpones the parse: only the last of a burst of requests runs.
        m_refreshTimer.start(std::max(0, delayMs));
        return;
    }
    if (!changed)
        return;
    m_path = path;
    m_lexerId = lexerId;
    m_source = nullptr;
    m_refreshTimer.stop();
    m_worker->cancel();
    m_expectedSerial = 0;
    m_awaitingResult = false;
    m_spans.clear();
    m_list->clear();
    m_shownPath = path;
    emit listUpdated();
}

void CFunctionList::requestRefresh(QsciScintillaBase *editor, const QString &path, int lexerId,
                                   bool force, int delayMs)
{
    if (!editor)
        return;
    const qsizetype length = editor->SendScintilla(QsciScintillaBase::SCI_GETTEXTLENGTH);
    const bool utf8 =
        editor->SendScintilla(QsciScintillaBase::SCI_GETCODEPAGE) == QsciScintillaBase::SC_CP_UTF8;
    QPointer<QsciScintillaBase> guard(editor);
    requestRefresh(
        path, lexerId, length, force, delayMs,
        [guard]() -> std::optional<QByteArray> {
            if (!guard)
                return std::nullopt;
            const long size = guard->SendScintilla(QsciScintillaBase::SCI_GETTEXTLENGTH);
            QByteArray text(size + 1, '\0');
            guard->SendScintilla(QsciScintillaBase::SCI_GETTEXT,
                                 static_cast<unsigned long>(size + 1), text.data());
            text.chop(1);
            return text;
        },
        utf8);
}

void CFunctionList::requestRefresh(const QString &path, const QByteArray &text, int lexerId,
                                   bool force, int delayMs, bool utf8)
{
    requestRefresh(
        path, lexerId, text.size(), force, delayMs,
        [text]() -> std::optional<QByteArray> { return text; }, utf8);
}

void CFunctionList::startParse()
{
    m_refreshTimer.stop();
    if (!m_source)
        return;
    const std::optional<QByteArray> text = m_source();
    if (!text)
        return; // the document's editor no longer exists
    m_expectedSerial = m_worker->post(*text, m_lexerId, m_forced, m_utf8);
    m_postedUtf8 = m_utf8;
    m_postedPath = m_path;
    m_awaitingResult = true;
    m_forced = false;
}

void CFunctionList::takeResult()
{
    std::optional<Delivery> delivery;
    {
        std::lock_guard lock(m_mailboxLock);
        delivery.swap(m_mailbox);
    }
    if (delivery)
        applyResult(delivery->serial, std::move(delivery->result));
}

void CFunctionList::applyResult(quint64 serial, ParseResult result)
{
    if (serial != m_expectedSerial)
        return; // superseded by a later request, or the list was emptied since
    m_awaitingResult = false;
    m_lastStatus = result.status;
    switch (result.status) {
    case ParseStatus::NotSupported:
        showNotSupported();
        break;
    case ParseStatus::Complete:
        showEntries(result.displayed);
        break;
    case ParseStatus::Incomplete:
    case ParseStatus::Cancelled:
        // The list keeps what it showed of this document: a partial list would be wrong, not
        // just short. What it showed of another document is emptied instead.
        if (m_postedPath == m_shownPath)
            return;
        m_spans.clear();
        m_list->clear();
        break;
    }
    m_shownPath = m_postedPath;
    emit listUpdated();
}

void CFunctionList::showNotSupported()
{
    m_spans.clear();
    if (isNotSupportedShown())
        return;
    m_list->clear();
    auto *item = new QListWidgetItem(resourceText(Str::FunctionListNotSupported));
    item->setData(Qt::UserRole, NotSupportedData);
    m_list->addItem(item);
}

// Brings the list in line with the entries item by item. Where an item differs, a later item
// that starts with the entry's name (ignoring case, searching on from there and wrapping round)
// marks items that have gone: those up to it are removed before the name goes in.
void CFunctionList::showEntries(const std::vector<FunctionEntry> &entries)
{
    m_spans.clear();
    m_list->setUpdatesEnabled(false);
    for (int i = 0; i < int(entries.size()); ++i) {
        const FunctionEntry &entry = entries[std::size_t(i)];
        // Names are bytes of the document, shown as the editor shows them.
        const QString name =
            m_postedUtf8 ? QString::fromUtf8(entry.name) : QString::fromLatin1(entry.name);
        m_spans.emplace_back(entry.line, entry.endLine);
        if (i < m_list->count()) {
            QListWidgetItem *current = m_list->item(i);
            if (current->text() == name) {
                current->setData(Qt::UserRole, entry.line);
                continue;
            }
            const int count = m_list->count();
            int found = -1;
            for (int k = 1; k <= count && found < 0; ++k) {
                const int j = (i + k) % count;
                if (m_list->item(j)->text().startsWith(name, Qt::CaseInsensitive))
                    found = j;
            }
            if (found >= i)
                for (int j = found; j >= i; --j)
                    delete m_list->takeItem(j);
        }
        auto *item = new QListWidgetItem(name);
        item->setData(Qt::UserRole, entry.line);
        m_list->insertItem(std::min(i, m_list->count()), item);
    }
    while (m_list->count() > int(entries.size()))
        delete m_list->takeItem(m_list->count() - 1);
    m_list->setUpdatesEnabled(true);
}

QStringList CFunctionList::names() const
{
    QStringList out;
    if (isNotSupportedShown())
        return out;
    for (int i = 0; i < m_list->count(); ++i)
        out << m_list->item(i)->text();
    return out;
}

QList<int> CFunctionList::lines() const
{
    QList<int> out;
    for (const auto &span : m_spans)
        out << span.first;
    return out;
}

bool CFunctionList::isNotSupportedShown() const
{
    return m_list->count() == 1 &&
           m_list->item(0)->data(Qt::UserRole).toInt() == NotSupportedData &&
           m_list->item(0)->text() == resourceText(Str::FunctionListNotSupported);
}

bool CFunctionList::isRefreshPending() const
{
    return m_refreshTimer.isActive() || m_awaitingResult;
}

void CFunctionList::selectFunctionAt(int line)
{
    int row = -1;
    for (int i = 0; i < int(m_spans.size()); ++i)
        if (m_spans[std::size_t(i)].first <= line && line <= m_spans[std::size_t(i)].second)
            row = i;
    if (row >= 0 && row < m_list->count())
        m_list->setCurrentRow(row);
    else
        m_list->clearSelection();
}

bool CFunctionList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            // The item under the mouse, not the current one: a double click on an empty part of
            // the list goes nowhere. The list still gets the event and selects as usual.
            QListWidgetItem *item = m_list->itemAt(mouse->position().toPoint());
            const int row = item ? m_list->row(item) : -1;
            if (row >= 0 && row < int(m_spans.size()))
                emit jumpToLine(m_spans[std::size_t(row)].first);
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace pw
