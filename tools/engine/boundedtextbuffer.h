// The Tool Window's text: the newest output up to a fixed size, trimmed by whole lines.
#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace pw {

// Holds the newest text appended to it, at most capacity UTF-16 units (the default, 10 Mi, is
// 10 MB of plain ASCII output). When an append would go over, whole lines are dropped from the
// front: the text kept is the longest tail of everything appended that starts a line (the very
// start, or just after a '\n') and fits. Only when the last line alone is longer than the capacity
// is it cut inside, keeping its last capacity units (never half of a surrogate pair).
//
// Appends cost time in proportion to the text appended, not to the text held: the front is
// dropped by moving a start index, and the storage is compacted only once the dropped part is as
// large as the kept one.
class BoundedTextBuffer
{
public:
    static constexpr qsizetype DefaultCapacity = qsizetype(10) * 1024 * 1024;

    // What an append did, for a view that mirrors the buffer: remove `removedFromFront` units from
    // its start, then append the last `appended` units of the appended text.
    struct Change
    {
        qsizetype removedFromFront = 0;
        qsizetype appended = 0;

        friend bool operator==(const Change &, const Change &) = default;
    };

    explicit BoundedTextBuffer(qsizetype capacity = DefaultCapacity);

    Change append(QStringView text);
    void clear();

    qsizetype capacity() const { return m_capacity; }
    qsizetype size() const { return qsizetype(m_data.size()) - m_start; }
    bool isEmpty() const { return size() == 0; }
    // The text held; valid until the next append or clear.
    QStringView text() const { return QStringView(m_data.data() + m_start, size()); }

private:
    qsizetype m_capacity;
    // Plain storage rather than a QString, whose front removal leaves free space that the next
    // append pays for by moving the whole text.
    std::vector<char16_t> m_data;
    qsizetype m_start = 0; // units of m_data already dropped
};

} // namespace pw
