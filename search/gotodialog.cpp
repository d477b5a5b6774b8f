// CGotoDialog: label with the line count, a digits-only field and OK enabled only when filled.
#include "search/gotodialog.h"

#include "resources/resources.h"
#include "resources/stringids.h"
#include "search/engine/searchrules.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <limits>

namespace pw {

CGotoDialog::CGotoDialog(long lineCount, QWidget *parent)
    : QDialog(parent), m_label(new QLabel(this)), m_field(new QLineEdit(this)),
      m_ok(new QPushButton(QStringLiteral("&OK"), this)),
      m_cancel(new QPushButton(QStringLiteral("&Cancel"), this))
{
    setObjectName(QStringLiteral("GotoDialog"));
    setWindowTitle(QString::fromUtf8(res::string(Str::GotoTitle)));
    m_label->setText(QString::asprintf(res::string(Str::GotoLineLabel), int(lineCount)));
    m_label->setBuddy(m_field);
    // Digits only, and as many as the user likes.
    m_field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_field));
    m_field->setMaxLength(std::numeric_limits<int>::max());
    m_ok->setDefault(true);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(m_ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_field);
    layout->addWidget(buttons);

    connect(m_field, &QLineEdit::textChanged, this, &CGotoDialog::fieldChanged);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_field->setText(QStringLiteral("1"));
    m_field->selectAll();
    fieldChanged(m_field->text());
}

void CGotoDialog::fieldChanged(const QString &text)
{
    m_ok->setEnabled(!text.isEmpty());
    m_number = search::parseLineNumber(text);
}

} // namespace pw
