// CFindInFilesResults: the list of matching lines and status lines in the Find In Files pane.
#pragma once

#include "findinfiles/engine/filescanner.h"

#include <QTableView>
#include <optional>
#include <vector>

namespace pw {

class FindResultsModel;

// A one-column table rather than a list view: its rows are laid out in constant time, so a
// batch added to a million rows costs no more than one added to ten.
class CFindInFilesResults : public QTableView
{
    Q_OBJECT
public:
    // Where a result line points: the line counted from 1, the column as a byte offset into the
    // editor's text of that line.
    struct Result
    {
        QString path;
        int line = 0;
        unsigned column = 0;
    };

    explicit CFindInFilesResults(QWidget *parent = nullptr);

    void clear();
    void addStatus(const QString &text);
    // One line per hit, "path (line): text"; the list scrolls to the last one.
    void addMatches(const std::vector<fif::Hit> &hits);

    int lineCount() const;
    QString lineText(int row) const;
    // Null for status lines.
    std::optional<Result> result(int row) const;

signals:
    // A result line was double-clicked.
    void resultActivated(const QString &path, int line, unsigned column);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    FindResultsModel *m_model;
};

} // namespace pw
