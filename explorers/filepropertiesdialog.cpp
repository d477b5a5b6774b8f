// CFilePropertiesDialog: fills its fields from the file and writes back the read-only attribute.
#include "explorers/filepropertiesdialog.h"

#include "framework/messages.h"
#include "resources/stringids.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QMimeDatabase>
#include <QVBoxLayout>

namespace pw {

namespace {

constexpr QFileDevice::Permissions kWriteBits =
    QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup |
    QFileDevice::WriteOther;

} // namespace

QString CFilePropertiesDialog::formatTime(const QDateTime &time)
{
    const QDateTime local = time.toLocalTime();
    const QDate date = local.date();
    const QTime clock = local.time();
    const QByteArray format = resourceText(Str::FilePropertiesTime).toUtf8();
    const QByteArray month = resourceText(Str::MonthFirst + date.month() - 1).toUtf8();
    return QString::asprintf(format.constData(), date.day(), month.constData(), date.year(),
                             clock.hour(), clock.minute(), clock.second());
}

CFilePropertiesDialog::CFilePropertiesDialog(const QString &path, QWidget *parent)
    : QDialog(parent), m_path(path)
{
    setWindowTitle(resourceText(Str::FilePropertiesTitle));
    auto *layout = new QVBoxLayout(this);
    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("control1004"));
    layout->addWidget(icon);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    const QString unknown = resourceText(Str::FilePropertiesUnknown);
    const struct
    {
        int id;
        const char *label;
    } rows[] = {{1005, ""},         {1012, "File Type:"}, {1006, "Location:"}, {1007, "Size:"},
                {1008, "Created:"}, {1009, "Modified:"},  {1010, "Accessed:"}};
    for (const auto &row : rows) {
        auto *field = new QLabel(unknown, this);
        field->setObjectName(QStringLiteral("control%1").arg(row.id));
        field->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(QString::fromLatin1(row.label), field);
        m_fields.insert(row.id, field);
    }
    m_readOnly = new QCheckBox(QStringLiteral("&Read-only"), this);
    m_readOnly->setObjectName(QStringLiteral("control1011"));
    m_hidden = new QCheckBox(QStringLiteral("&Hidden"), this);
    m_hidden->setObjectName(QStringLiteral("control1013"));
    layout->addWidget(m_readOnly);
    layout->addWidget(m_hidden);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    const QFileInfo info(path);
    m_found = info.exists();
    // On this platform a hidden file is one whose name starts with a dot: the box shows it, and
    // only a rename could change it.
    m_hidden->setEnabled(false);
    if (!m_found) {
        m_readOnly->setEnabled(false);
        return;
    }
    icon->setPixmap(QFileIconProvider().icon(info).pixmap(32, 32));
    m_fields[1005]->setText(info.fileName());
    m_fields[1012]->setText(QMimeDatabase().mimeTypeForFile(info).comment());
    m_fields[1006]->setText(QDir::toNativeSeparators(info.absolutePath()));
    const QByteArray sizeFormat = resourceText(Str::FilePropertiesSize).toUtf8();
    // The size field has always shown the low 32 bits of the size.
    m_fields[1007]->setText(
        QString::asprintf(sizeFormat.constData(), int(quint32(quint64(info.size())))));
    const QDateTime times[] = {info.birthTime(), info.lastModified(), info.lastRead()};
    for (int i = 0; i < 3; ++i) {
        if (times[i].isValid())
            m_fields[1008 + i]->setText(formatTime(times[i]));
    }
    m_readOnly->setChecked(!(info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteUser)));
    m_hidden->setChecked(info.fileName().startsWith(QLatin1Char('.')));
}

QString CFilePropertiesDialog::fieldText(int controlId) const
{
    const QLabel *field = m_fields.value(controlId);
    return field ? field->text() : QString();
}

void CFilePropertiesDialog::accept()
{
    if (m_found) {
        QFileDevice::Permissions permissions = QFile::permissions(m_path);
        const bool readOnly = !(permissions & (QFileDevice::WriteOwner | QFileDevice::WriteUser));
        if (m_readOnly->isChecked() != readOnly) {
            if (m_readOnly->isChecked())
                permissions &= ~kWriteBits;
            else
                permissions |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
            QFile::setPermissions(m_path, permissions);
        }
    }
    QDialog::accept();
}

} // namespace pw
