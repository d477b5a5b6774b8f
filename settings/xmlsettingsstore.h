// Reads and writes the user's preferences in the XML settings file, one section and key at a time.
#pragma once

#include "settings/externaltoolrecord.h"
#include "settings/settingkeys.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace pw {

// A remembered drop-down list as the settings file holds it.
struct HistoryList
{
    QStringList entries; // newest first, never holding an empty text
    int selected = -1;   // index into entries, -1 when nothing is selected

    friend bool operator==(const HistoryList &, const HistoryList &) = default;
};

// The settings file AppSettings.xml: root appSettings, one element per section, one element per
// key holding its value as CDATA (file filters and external tools use the record forms below).
//
// Create one wherever settings are needed; instances are cheap because the parsed file is shared
// between them and checked against the disk before every operation, so a change made by another
// instance or another process is always seen. Every write has reached the file when it returns
// (written beside the file and renamed over it, so the old file survives a crash or a full disk),
// except inside a Batch, which gathers writes into one save.
//
// Failure rules: an empty path fails every operation (reads give their defaults, writes return
// false). A missing file reads as empty; a malformed file, or one whose root is not appSettings,
// also reads as empty and is replaced as a whole by the next write. Writes never create the
// folder: when it is missing they are dropped and return false. Section and key names must be
// XML names (a letter, "_", ":" or non-ASCII first, then also digits, "." and "-"); a write with
// any other name, or with a value holding a NUL character, is refused and returns false.
class XmlSettingsStore
{
public:
    explicit XmlSettingsStore(const QString &path);
    XmlSettingsStore(const XmlSettingsStore &) = delete;
    XmlSettingsStore &operator=(const XmlSettingsStore &) = delete;
    ~XmlSettingsStore();

    const QString &path() const { return m_path; }

    // The key's text read as a decimal integer: leading blanks, an optional sign and the leading
    // digits ("12abc" is 12, "abc" is 0, out-of-range values saturate); defaultValue when the
    // key is missing or its text is empty.
    int getInt(const QString &section, const QString &key, int defaultValue) const;
    // The text read as unsigned decimal by the same rule (a negative number wraps as strtoul
    // would); false with value untouched when the key is missing or its text is empty.
    bool getUInt(const QString &section, const QString &key, quint32 &value) const;
    // The text, or defaultValue when the key is missing or its text is empty.
    QString getString(const QString &section, const QString &key,
                      const QString &defaultValue) const;
    // The text, empty when the key is missing.
    QString readString(const QString &section, const QString &key) const;

    // Create the section and key when missing and replace the key's content by the value.
    bool writeInt(const QString &section, const QString &key, int value);
    bool writeUInt(const QString &section, const QString &key, quint32 value);
    bool writeString(const QString &section, const QString &key, const QString &value);

    // Removes every key of the section (the empty section element stays); false when the
    // section does not exist.
    bool deleteSection(const QString &section);
    // Removes the key; false when it does not exist.
    bool deleteKey(const QString &section, const QString &key);

    // A file-filter record: the key holds the child elements label and extension.
    bool writeLabelExtension(const QString &section, const QString &key, const QString &label,
                             const QString &extension);
    // True when the key and both children exist.
    bool readLabelExtension(const QString &section, const QString &key, QString &label,
                            QString &extension) const;

    // The distinct key names of the section, in file order; returns their number, 0 when the
    // section is missing, -1 when the settings file cannot be used (empty path, unreadable).
    int enumerateKeys(const QString &section, QStringList &names) const;

    // Replaces all children of the section by one element named key per tool, in list order:
    // the name as text, then the attributes icon, args, dir, cmd and type.
    bool writeTools(const QString &section, const QString &key,
                    const QList<ExternalToolRecord> &tools);
    // Appends one record per element named key under the section (a missing attribute gives an
    // empty string or 0). Returns 1 when the section exists, even empty; 0 when it does not;
    // -1 when the settings file cannot be used.
    int readTools(const QString &section, const QString &key,
                  QList<ExternalToolRecord> &tools) const;

    // Writes entries 0-49 as "value_%d" (empty ones skipped), then "Selected" = selected, in one
    // save. Values of an earlier, longer list are left in place.
    bool saveHistory(const QString &section, const QStringList &entries, int selected);
    // Reads "value_%d" for i below the section's key count, keeping the non-empty ones, then
    // "Selected" (default 0): -1 selects the first entry when there is one; any other index is
    // selected when it lies inside the list.
    HistoryList loadHistory(const QString &section) const;

    // The file-dialog filter list: "<label> (<extension>)|<extension>|" per FileFilter entry
    // with a non-empty label and extension, in file order, then "All Files (*.*)|*.*||".
    QString buildFilterString() const;
    // The name for a new FileFilter entry: "entry_%d" with one above the highest number found
    // after the "_" of the existing names ("entry_1" when there are none).
    QString nextFilterEntryName() const;

    // Shorthands over the key descriptors of settingkeys.h, passing their default.
    int getInt(const settings::IntSetting &setting) const;
    quint32 getUInt(const settings::UIntSetting &setting) const;
    QString getString(const settings::StringSetting &setting) const;
    bool writeInt(const settings::IntSetting &setting, int value);
    bool writeUInt(const settings::UIntSetting &setting, quint32 value);
    bool writeString(const settings::StringSetting &setting, const QString &value);

    // Gathers the store's writes until the batch ends and saves them once, re-applied to the
    // file as it is then. Reads inside the batch see the gathered writes; writes report true
    // when their names and values are acceptable. Batches nest; the outermost one saves.
    class Batch
    {
    public:
        explicit Batch(XmlSettingsStore &store);
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;
        ~Batch();
        // Ends the batch early; true when the gathered writes reached the file (or an outer
        // batch will write them).
        bool commit();

    private:
        XmlSettingsStore *m_store;
        bool m_open = true;
    };

private:
    bool deferWrites() const { return m_batchDepth > 0; }

    QString m_path;
    int m_batchDepth = 0;
};

} // namespace pw
