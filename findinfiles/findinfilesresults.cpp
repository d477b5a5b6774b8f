// CFindInFilesResults: a light list model, so that hundreds of thousands of lines arrive in
// batches without holding up the window.
#include "findinfiles/findinfilesresults.h"

#include "resources/resources.h"
#include "resources/stringids.h"

#include <QAbstractListModel>
#include <QFile>
#include <QMouseEvent>

namespace pw {

namespace {
// The longest line text kept: a hit in a minified file of megabytes on one line shows its start.
constexpr std::size_t MaxLineText = 1000;
} // namespace

class FindResultsModel : public QAbstractListModel
{
public:
    struct Row
    {
        QString text;
        std::optional<CFindInFilesResults::Result> result;
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= int(m_rows.size()))
            return {};
        return m_rows[std::size_t(index.row())].text;
    }
    void clear()
    {
        beginResetModel();
        m_rows.clear();
        m_rows.shrink_to_fit();
        endResetModel();
    }
    void append(std::vector<Row> &&rows)
    {
        if (rows.empty())
            return;
        const int first = int(m_rows.size());
        beginInsertRows({}, first, first + int(rows.size()) - 1);
        for (Row &row : rows)
            m_rows.push_back(std::move(row));
        endInsertRows();
    }
    const Row *row(int i) const
    {
        return i >= 0 && i < int(m_rows.size()) ? &m_rows[std::size_t(i)] : nullptr;
    }

private:
    std::vector<Row> m_rows;
};

CFindInFilesResults::CFindInFilesResults(QWidget *parent)
    : QListView(parent), m_model(new FindResultsModel(this))
{
    setObjectName(QStringLiteral("FindInFilesResults"));
    setModel(m_model);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Long lines are cut at the pane's edge rather than widening it: no horizontal scroll bar.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    setWordWrap(false);
}

void CFindInFilesResults::clear()
{
    m_model->clear();
}

void CFindInFilesResults::addStatus(const QString &text)
{
    std::vector<FindResultsModel::Row> rows;
    rows.push_back({text, std::nullopt});
    m_model->append(std::move(rows));
    scrollToBottom();
}

void CFindInFilesResults::addMatches(const std::vector<fif::Hit> &hits)
{
    const char *format = res::string(Str::FindInFilesResultLine);
    std::vector<FindResultsModel::Row> rows;
    rows.reserve(hits.size());
    for (const fif::Hit &hit : hits) {
        std::string text = hit.text.substr(0, MaxLineText);
        // File names are the system's bytes; the line is the editor's UTF-8.
        const QString path = QFile::decodeName(QByteArray::fromStdString(hit.path));
        const QString line =
            QString::asprintf(format, path.toUtf8().constData(), hit.line, text.c_str());
        rows.push_back({line, Result{path, hit.line, hit.column}});
    }
    m_model->append(std::move(rows));
    scrollToBottom();
}

int CFindInFilesResults::lineCount() const
{
    return m_model->rowCount();
}

QString CFindInFilesResults::lineText(int row) const
{
    const FindResultsModel::Row *r = m_model->row(row);
    return r ? r->text : QString();
}

std::optional<CFindInFilesResults::Result> CFindInFilesResults::result(int row) const
{
    const FindResultsModel::Row *r = m_model->row(row);
    return r ? r->result : std::nullopt;
}

void CFindInFilesResults::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListView::mouseDoubleClickEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        return;
    if (const std::optional<Result> hit = result(index.row()))
        emit resultActivated(hit->path, hit->line, hit->column);
}

} // namespace pw
