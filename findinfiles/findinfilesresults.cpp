// CFindInFilesResults: a compact list model, so that millions of lines arrive in batches without
// holding up the window or taking a string each.
#include "findinfiles/findinfilesresults.h"

#include "resources/resources.h"
#include "resources/stringids.h"

#include <QAbstractListModel>
#include <QFile>
#include <QHeaderView>
#include <QMouseEvent>
#include <cstring>
#include <deque>
#include <memory>
#include <string_view>

namespace pw {

namespace {
// The longest line text kept: a hit in a minified file of megabytes on one line shows its start.
constexpr std::size_t MaxLineText = 1000;
// Rows are kept compactly, so that millions of hits fit; past these bounds the list stops
// growing and says so, while the search (and its count) goes on.
constexpr std::size_t MaxRows = 5'000'000;
constexpr std::size_t MaxTextBytes = 512u << 20;
// The text arena grows by blocks that never move, so it never needs twice its size.
constexpr std::size_t BlockBytes = 1u << 20;
} // namespace

// The rows as a few numbers each: the line text (or status text) in a shared arena of UTF-8
// blocks, the path as an index into the list of files. The displayed text is made when asked.
class FindResultsModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= int(m_rows.size()))
            return {};
        return lineText(index.row());
    }
    void clear()
    {
        beginResetModel();
        m_rows.clear();
        m_rows.shrink_to_fit();
        m_blocks.clear();
        m_blocks.shrink_to_fit();
        m_used = 0;
        m_textBytes = 0;
        m_paths.clear();
        m_paths.shrink_to_fit();
        m_lastPath.clear();
        m_full = false;
        endResetModel();
    }
    void addStatus(const QString &text)
    {
        const int row = int(m_rows.size());
        beginInsertRows({}, row, row);
        m_rows.push_back(store(text.toUtf8().toStdString(), -1, 0, 0));
        endInsertRows();
    }
    // False once the list is full: the hits past that point are not kept.
    bool addMatches(const std::vector<fif::Hit> &hits)
    {
        std::size_t take = 0;
        std::size_t bytes = m_textBytes;
        while (take < hits.size() && m_rows.size() + take < MaxRows && bytes < MaxTextBytes)
            bytes += std::min(hits[take++].text.size(), MaxLineText);
        if (take > 0) {
            const int first = int(m_rows.size());
            beginInsertRows({}, first, first + int(take) - 1);
            for (std::size_t i = 0; i < take; ++i) {
                const fif::Hit &hit = hits[i];
                // A file's hits come together, so comparing with the last path finds nearly
                // every repeat.
                if (m_paths.empty() || hit.path != m_lastPath) {
                    // File names are the system's bytes.
                    m_paths.push_back(QFile::decodeName(QByteArray::fromStdString(hit.path)));
                    m_lastPath = hit.path;
                }
                m_rows.push_back(store(std::string_view(hit.text).substr(0, MaxLineText),
                                       int(m_paths.size()) - 1, hit.line, hit.column));
            }
            endInsertRows();
        }
        return take == hits.size();
    }
    bool isFull() const { return m_full; }
    void setFull() { m_full = true; }
    QString lineText(int i) const
    {
        if (i < 0 || i >= int(m_rows.size()))
            return {};
        const Row &row = m_rows[std::size_t(i)];
        const char *bytes = m_blocks[row.block].get() + row.offset;
        if (row.path < 0)
            return QString::fromUtf8(bytes, qsizetype(row.length));
        const QByteArray text(bytes, qsizetype(row.length));
        return QString::asprintf(res::string(Str::FindInFilesResultLine),
                                 m_paths[std::size_t(row.path)].toUtf8().constData(), row.line,
                                 text.constData());
    }
    std::optional<CFindInFilesResults::Result> result(int i) const
    {
        if (i < 0 || i >= int(m_rows.size()) || m_rows[std::size_t(i)].path < 0)
            return std::nullopt;
        const Row &row = m_rows[std::size_t(i)];
        return CFindInFilesResults::Result{m_paths[std::size_t(row.path)], row.line, row.column};
    }

private:
    struct Row
    {
        quint32 block;
        quint32 offset;
        quint32 length;
        qint32 path; // -1 for a status line
        qint32 line;
        quint32 column;
    };

    Row store(std::string_view text, int path, int line, unsigned column)
    {
        // A status text longer than a block (a very long path) is cut at the block's size.
        text = text.substr(0, BlockBytes);
        if (m_blocks.empty() || m_used + text.size() > BlockBytes) {
            m_blocks.push_back(std::make_unique_for_overwrite<char[]>(BlockBytes));
            m_used = 0;
        }
        std::memcpy(m_blocks.back().get() + m_used, text.data(), text.size());
        const Row row{quint32(m_blocks.size() - 1),
                      quint32(m_used),
                      quint32(text.size()),
                      qint32(path),
                      qint32(line),
                      quint32(column)};
        m_used += text.size();
        m_textBytes += text.size();
        return row;
    }

    std::deque<Row> m_rows;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_used = 0; // bytes used in the last block
    std::size_t m_textBytes = 0;
    std::vector<QString> m_paths;
    std::string m_lastPath;
    bool m_full = false;
};

CFindInFilesResults::CFindInFilesResults(QWidget *parent)
    : QTableView(parent), m_model(new FindResultsModel(this))
{
    setObjectName(QStringLiteral("FindInFilesResults"));
    setModel(m_model);
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
    setShowGrid(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
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
    m_model->addStatus(text);
    scrollToBottom();
}

void CFindInFilesResults::addMatches(const std::vector<fif::Hit> &hits)
{
    if (m_model->isFull() || hits.empty())
        return;
    if (!m_model->addMatches(hits)) {
        m_model->setFull();
        m_model->addStatus(
            QString::asprintf(res::string(Str::FindInFilesListFull), m_model->rowCount()));
    }
    scrollToBottom();
}

int CFindInFilesResults::lineCount() const
{
    return m_model->rowCount();
}

QString CFindInFilesResults::lineText(int row) const
{
    return m_model->lineText(row);
}

std::optional<CFindInFilesResults::Result> CFindInFilesResults::result(int row) const
{
    return m_model->result(row);
}

void CFindInFilesResults::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        return;
    if (const std::optional<Result> hit = result(index.row()))
        emit resultActivated(hit->path, hit->line, hit->column);
}

} // namespace pw
