// CPropertyPage's modified state, the colour buttons and the number edits of the preference pages.
#include "preferences/propertypage.h"

#include "chrome/dialogcontrols.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>

namespace pw {

bool CPropertyPage::applySheetPage()
{
    if (!isModified())
        return true;
    apply();
    setModified(false);
    return true;
}

void CPropertyPage::watch(QWidget *control)
{
    const auto changed = [this] { setModified(); };
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        connect(button, &QAbstractButton::toggled, this, changed);
    else if (auto *slider = qobject_cast<QAbstractSlider *>(control))
        connect(slider, &QAbstractSlider::valueChanged, this, changed);
    else if (auto *combo = qobject_cast<QComboBox *>(control))
        connect(combo, &QComboBox::currentIndexChanged, this, changed);
    else if (auto *edit = qobject_cast<QLineEdit *>(control))
        connect(edit, &QLineEdit::textChanged, this, changed);
    else if (auto *number = qobject_cast<NumberEdit *>(control))
        connect(number, &NumberEdit::valueChanged, this, changed);
}

QColor toQColor(quint32 colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

quint32 fromQColor(const QColor &colour)
{
    return quint32(colour.red()) | quint32(colour.green()) << 8 | quint32(colour.blue()) << 16;
}

QWidget *folderEditRow(QLineEdit *edit, const char *browseName, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit);
    QPushButton *browse = dialogButton(QStringLiteral("..."), browseName, row);
    layout->addWidget(browse);
    QObject::connect(browse, &QPushButton::clicked, edit, [edit] {
        const QString folder =
            QFileDialog::getExistingDirectory(edit->window(), QString(), edit->text());
        if (!folder.isEmpty())
            edit->setText(QDir::toNativeSeparators(folder));
    });
    return row;
}

namespace {
ColourButton::PickHook &pickHook()
{
    static ColourButton::PickHook hook;
    return hook;
}
} // namespace

ColourButton::ColourButton(const QString &text, const char *name, QWidget *parent)
    : QPushButton(text, parent)
{
    setObjectName(QLatin1String(name));
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &ColourButton::pick);
    setColour(0);
}

void ColourButton::setPickHook(PickHook hook)
{
    pickHook() = std::move(hook);
}

void ColourButton::setColour(quint32 colour)
{
    m_colour = colour & 0xFFFFFF;
    QPixmap swatch(24, 14);
    swatch.fill(toQColor(m_colour));
    QPainter frame(&swatch);
    frame.setPen(Qt::black);
    frame.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    frame.end();
    setIcon(QIcon(swatch));
    setIconSize(swatch.size());
}

void ColourButton::chooseColour(quint32 colour)
{
    if ((colour & 0xFFFFFF) == m_colour)
        return;
    setColour(colour);
    emit colourChosen(m_colour);
}

void ColourButton::pick()
{
    quint32 chosen = m_colour;
    if (pickHook()) {
        if (!pickHook()(chosen))
            return;
    } else {
        const QColor colour = QColorDialog::getColor(toQColor(m_colour), window());
        if (!colour.isValid())
            return;
        chosen = fromQColor(colour);
    }
    chooseColour(chosen);
}

NumberEdit::NumberEdit(const prefs::NumberEditRule &rule, const char *name, int value,
                       QWidget *parent)
    : QWidget(parent), m_rule(rule), m_edit(new QLineEdit(this)), m_spin(new QSpinBox(this)),
      m_value(prefs::numberEditInitial(rule, value))
{
    m_edit->setObjectName(QLatin1String(name));
    m_spin->setObjectName(QLatin1String(name) + QStringLiteral("Spin"));
    m_spin->setRange(rule.spinMinimum, rule.spinMaximum);
    m_spin->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    // The spin is only its arrows; the number is typed into the edit.
    m_spin->setFixedWidth(m_spin->sizeHint().height());
    m_spin->setFocusPolicy(Qt::NoFocus);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit);
    layout->addWidget(m_spin);
    m_edit->setMaximumWidth(m_edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    {
        const QSignalBlocker quiet(m_spin);
        m_spin->setValue(m_value);
    }
    m_edit->setText(QString::number(m_value));
    connect(m_edit, &QLineEdit::textChanged, this, &NumberEdit::textChanged);
    connect(m_spin, &QSpinBox::valueChanged, this, [this](int spun) {
        if (!m_busy)
            m_edit->setText(QString::asprintf("%d", spun));
    });
}

void NumberEdit::textChanged(const QString &text)
{
    if (m_busy)
        return;
    m_busy = true;
    const prefs::NumberEditOutcome outcome = prefs::numberEditChanged(m_rule, text, m_value);
    if (outcome.text != text) {
        const int cursor = m_edit->cursorPosition();
        m_edit->setText(outcome.text);
        m_edit->setCursorPosition(std::min<int>(cursor, int(outcome.text.size())));
    }
    m_spin->setValue(outcome.value);
    m_busy = false;
    if (outcome.value != m_value) {
        m_value = outcome.value;
        emit valueChanged(m_value);
    }
}

} // namespace pw
