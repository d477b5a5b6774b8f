// CFilePropertiesDialog: fills its fields from the file and writes back the read-only attribute.
#include "explorers/filepropertiesdialog.h"

#include "editor/encoding/fileops.h"
#include "editor/encoding/nativepath.h"
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
#include <QIcon>
#include <QLabel>
#include <QMimeDatabase>
#include <QVBoxLayout>

namespace pw {

namespace {

// The POSIX permission bits, as the engine's file calls give and take them.
constexpr unsigned kOwnerWrite = 0200;
constexpr unsigned kAnyWrite = 0222;

constexpr QFileDevice::Permissions kWriteBits =
    QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup |
    QFileDevice::WriteOther;

// What the fields show, read through QFileInfo or, for a name QFileInfo cannot reach, by its bytes.
struct FileFacts
{
    bool found = false;
    bool folder = false;
    bool writable = false;
    QString name;
    QString type;
    QIcon icon;
    QString location;
    qint64 size = 0;
    QDateTime times[3]; // created, modified, accessed
};

QDateTime timeOf(std::int64_t ns)
{
    return ns ? QDateTime::fromMSecsSinceEpoch(ns / 1000000) : QDateTime();
}

// A name that is not UTF-8 keeps its bytes (nativepath.h), which only the engine's calls reach.
FileFacts factsOfBytes(const QString &path)
{
    FileFacts facts;
    enc::sys::Info info;
    if (enc::sys::infoOf(path, info) || !info.exists)
        return facts;
    const QString shown = enc::displayPath(path);
    const qsizetype slash = shown.lastIndexOf(QLatin1Char('/'));
    facts.found = true;
    facts.folder = info.directory;
    facts.writable = info.mode & kOwnerWrite;
    facts.name = shown.mid(slash + 1);
    facts.location = slash <= 0 ? QStringLiteral("/") : shown.left(slash);
    facts.size = info.size;
    const QMimeDatabase types;
    facts.type = facts.folder ? types.mimeTypeForName(QStringLiteral("inode/directory")).comment()
                              : types.mimeTypeForFile(facts.name, QMimeDatabase::MatchExtension).comment();
    facts.icon = QFileIconProvider().icon(facts.folder ? QFileIconProvider::Folder
                                                       : QFileIconProvider::File);
    facts.times[0] = timeOf(enc::sys::createdNs(path));
    facts.times[1] = timeOf(info.modifiedNs);
    facts.times[2] = timeOf(info.accessedNs);
    return facts;
}

FileFacts factsOf(const QString &path)
{
    if (enc::hasEscapedBytes(path))
        return factsOfBytes(path);
    FileFacts facts;
    const QFileInfo info(path);
    facts.found = info.exists();
    if (!facts.found)
        return facts;
    facts.folder = info.isDir();
    facts.writable = info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteUser);
    facts.name = info.fileName();
    facts.location = info.absolutePath();
    facts.size = info.size();
    facts.type = QMimeDatabase().mimeTypeForFile(info).comment();
    facts.icon = QFileIconProvider().icon(info);
    facts.times[0] = info.birthTime();
    facts.times[1] = info.lastModified();
    facts.times[2] = info.lastRead();
    return facts;
}

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

    const FileFacts facts = factsOf(path);
    m_found = facts.found;
    // On this platform a hidden file is one whose name starts with a dot: the box shows it, and
    // only a rename could change it.
    m_hidden->setEnabled(false);
    if (!m_found) {
        m_readOnly->setEnabled(false);
        return;
    }
    icon->setPixmap(facts.icon.pixmap(32, 32));
    m_fields[1005]->setText(facts.name);
    m_fields[1012]->setText(facts.type);
    m_fields[1006]->setText(QDir::toNativeSeparators(facts.location));
    const QByteArray sizeFormat = resourceText(Str::FilePropertiesSize).toUtf8();
    // The size field has always shown the low 32 bits of the size.
    m_fields[1007]->setText(
        QString::asprintf(sizeFormat.constData(), int(quint32(quint64(facts.size)))));
    for (int i = 0; i < 3; ++i) {
        if (facts.times[i].isValid())
            m_fields[1008 + i]->setText(formatTime(facts.times[i]));
    }
    m_readOnly->setChecked(!facts.writable);
    m_hidden->setChecked(facts.name.startsWith(QLatin1Char('.')));
}

QString CFilePropertiesDialog::fieldText(int controlId) const
{
    const QLabel *field = m_fields.value(controlId);
    return field ? field->text() : QString();
}

void CFilePropertiesDialog::accept()
{
    if (m_found && enc::hasEscapedBytes(m_path)) {
        enc::sys::Info info;
        if (!enc::sys::infoOf(m_path, info) && info.exists &&
            m_readOnly->isChecked() == bool(info.mode & kOwnerWrite))
            enc::sys::setMode(m_path, m_readOnly->isChecked() ? info.mode & ~kAnyWrite
                                                              : info.mode | kOwnerWrite);
        QDialog::accept();
        return;
    }
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
