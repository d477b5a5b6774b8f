// CSmartComboBox: an editable combo that completes typed text from its own list.
#pragma once

#include <QComboBox>

namespace pw {

class CSmartComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit CSmartComboBox(QWidget *parent = nullptr);

    // The entry that completes typed text: the first, from the second entry on and wrapping round
    // to the first, whose text starts with it ignoring case; -1 when none does.
    int completionFor(const QString &typed) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void complete(const QString &typed);

    bool m_deleting = false;
};

} // namespace pw
