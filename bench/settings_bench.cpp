// penwright-bench "settings": start-up read and close-time write of a full settings file, or
// (with --apply/--dump) the properties sheet's apply path.
#include "settings/framesettings.h"
#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"
#include "bench/benchregistry.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <vector>

using pw::bench::median;

namespace {

namespace s = pw::settings;

constexpr double CloseWriteTargetSeconds = 0.050;
constexpr double StartupReadTargetSeconds = 0.020;

QString latin1(const char *text)
{
    return QString::fromLatin1(text);
}

double secondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

QStringList historyEntries(const QString &stem)
{
    QStringList entries;
    for (int i = 0; i < s::HistoryMaxEntries; ++i)
        entries << QStringLiteral("%1 %2 with some typical length").arg(stem).arg(i);
    return entries;
}

QList<pw::ExternalToolRecord> tools()
{
    return {{QStringLiteral("Build"), 8000, QStringLiteral("-C \"$FileDir\""),
             QStringLiteral("$AppDir"), QStringLiteral("make"), 0},
            {QStringLiteral("Terminal"), 8001, QString(), QStringLiteral("$FileDir"),
             QStringLiteral("x-terminal-emulator"), 2}};
}

// A settings file as a long-time user has it: every frame key, three full histories, 100 file
// filters, the tools and the other sections' keys.
bool buildFullFile(const QString &path)
{
    pw::XmlSettingsStore store(path);
    pw::XmlSettingsStore::Batch batch(store);
    pw::FrameSettings frame;
    frame.backupFolder = QStringLiteral("/home/user/.local/share/Brightmoor/Penwright/Backup");
    frame.dictionaryPath = QStringLiteral("/home/user/.local/share/Brightmoor/Penwright/Aspell");
    frame.save(store);
    store.saveHistory(latin1(s::section::SearchHistory), historyEntries(QStringLiteral("find")), 0);
    store.saveHistory(latin1(s::section::ReplaceHistory), historyEntries(QStringLiteral("repl")),
                      0);
    store.saveHistory(latin1(s::section::DirectoryHistory),
                      historyEntries(QStringLiteral("/home/user/projects/dir")), 0);
    for (int i = 1; i <= 100; ++i)
        store.writeLabelExtension(latin1(s::section::FileFilter), QStringLiteral("entry_%1").arg(i),
                                  QStringLiteral("Language %1 files").arg(i),
                                  QStringLiteral("*.l%1;*.x%1").arg(i));
    store.writeTools(latin1(s::section::ExternalTools), latin1(s::ToolElement), tools());
    for (const s::IntSetting &k :
         {s::general::FilterIndex, s::general::DefFInFExt, s::findReplace::MatchCase,
          s::findReplace::MatchWord, s::findReplace::RegExp, s::findReplace::SearchUp,
          s::findReplace::WrapAround, s::findReplace::Selection, s::findReplace::SubFolders,
          s::hexFind::SearchAscii, s::hexFind::MatchCase, s::hexFind::SearchUp, s::hexGoto::Hex})
        store.writeInt(k, k.defaultValue);
    return batch.commit();
}

// What start-up reads: the frame's two loads, the histories, filters, tools and the other keys.
int readEverything(const QString &path)
{
    pw::XmlSettingsStore store(path);
    pw::FrameSettings frame;
    frame.loadView(store);
    frame.loadRest(store, QStringLiteral("/b"), QStringLiteral("/d"), true);
    int seen = 0;
    for (const char *section :
         {s::section::SearchHistory, s::section::ReplaceHistory, s::section::DirectoryHistory})
        seen += int(store.loadHistory(latin1(section)).entries.size());
    seen += int(store.buildFilterString().size() > 0);
    QList<pw::ExternalToolRecord> loaded;
    seen += store.readTools(latin1(s::section::ExternalTools), latin1(s::ToolElement), loaded);
    for (const s::IntSetting &k :
         {s::general::FilterIndex, s::general::DefFInFExt, s::findReplace::MatchCase,
          s::findReplace::MatchWord, s::findReplace::RegExp, s::findReplace::SearchUp,
          s::findReplace::WrapAround, s::findReplace::Selection, s::findReplace::SubFolders,
          s::hexFind::SearchAscii, s::hexFind::MatchCase, s::hexFind::SearchUp, s::hexGoto::Hex})
        seen += store.getInt(k);
    for (const s::StringSetting &k :
         {s::general::DefExt, s::general::CompareFirstFile, s::general::CompareSecondFile,
          s::general::CheckForUpdates, s::general::OtherProducts, s::findReplace::LastSelectedValue,
          s::project::Directory})
        seen += int(store.getString(k).size());
    return seen;
}

// Frame values that differ from run to run, so every save really rewrites the file.
pw::FrameSettings frameForRun(int run)
{
    pw::FrameSettings f;
    f.tabWidth = 2 + run % 7;
    f.fontSize = 9 + run % 5;
    f.wordWrap = run % 2;
    f.caretLineColour = 0x00100000u + quint32(run);
    f.backupFolder = QStringLiteral("/home/user/backup%1").arg(run);
    f.dictionaryPath = QStringLiteral("/home/user/aspell");
    return f;
}

// Every frame key written one by one, each its own save: the cost without a batch.
void writeFrameKeysOneByOne(pw::XmlSettingsStore &store, int run)
{
    const pw::FrameSettings f = frameForRun(run);
    for (const s::IntSetting &k : {s::view::WordWrap,
                                   s::view::LongLine,
                                   s::view::LongLinePos,
                                   s::view::Whitespace,
                                   s::view::LineEndings,
                                   s::view::CaretLine,
                                   s::view::LineNumbers,
                                   s::view::FontSize,
                                   s::view::Charset,
                                   s::view::FontBold,
                                   s::view::FontItalic,
                                   s::view::CodeFolding,
                                   s::view::BlockSelect,
                                   s::view::LargeTBIcons,
                                   s::view::TabAsSpaces,
                                   s::view::TabGuides,
                                   s::view::TabWidth,
                                   s::view::MatchBracket,
                                   s::view::CaretLineTransparency,
                                   s::view::Theme,
                                   s::view::Rulers,
                                   s::view::TransparentDialogs,
                                   s::view::TransparentPercent,
                                   s::print::PrintHeader,
                                   s::print::PrintFooter,
                                   s::print::PrintLineNumbers,
                                   s::print::PrintFormat,
                                   s::backup::DeleteOnExit,
                                   s::backup::Setting,
                                   s::backup::Versions,
                                   s::output::ReuseWindows,
                                   s::edit::ResetUndoOnSave,
                                   s::gen::RememberOpenFiles,
                                   s::gen::MDITabsActive})
        store.writeInt(k, k.defaultValue + run + 1); // differs each run: a real save each time
    for (const s::UIntSetting &k :
         {s::view::BraceBadColour, s::view::BraceHighlight, s::view::CaretLineColour})
        store.writeUInt(k, k.defaultValue + quint32(run));
    store.writeString(s::view::FontStyle, QStringLiteral("Mono %1").arg(run));
    store.writeString(s::backup::BackupFolder, f.backupFolder);
    store.writeString(s::gen::DictionaryPath, f.dictionaryPath);
    store.writeString(s::gen::Dictionary, QStringLiteral("en_GB"));
}

constexpr int FrameKeyCount = 41;

// A file of roughly the given size: a full file plus one bulky section of long values.
bool buildLargeFile(const QString &path, qint64 targetBytes)
{
    if (!buildFullFile(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray text = file.readAll();
    file.close();
    QByteArray bulk = "    <Bulk>\n";
    const QByteArray filler(200, 'x');
    for (int i = 0; qint64(text.size() + bulk.size()) < targetBytes; ++i)
        bulk += "        <key_" + QByteArray::number(i) + "><![CDATA[" + filler + "]]></key_" +
                QByteArray::number(i) + ">\n";
    bulk += "    </Bulk>\n";
    text.replace("</appSettings>", QByteArray(bulk + "</appSettings>"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(text) == text.size();
}

QJsonObject run(const QStringList &args)
{
    QJsonObject result;
    // "--apply KEY=VALUE ... --dump" is the properties sheet's apply path; it lives with the
    // preferences and is there only when the build has them.
    if (args.contains(QStringLiteral("--apply")) || args.contains(QStringLiteral("--dump"))) {
        const auto form = pw::bench::registry().find("settings-apply");
        if (form == pw::bench::registry().end()) {
            result.insert(QStringLiteral("error"),
                          QStringLiteral("this build has no properties sheet"));
            return result;
        }
        return form->second(args);
    }
    const int runs = std::max(
        1, pw::bench::option(args, QStringLiteral("--runs"), QStringLiteral("15")).toInt());
    const qint64 largeMb =
        pw::bench::option(args, QStringLiteral("--large-mb"), QStringLiteral("50")).toLongLong();
    QTemporaryDir dir;
    if (!dir.isValid()) {
        result.insert(QStringLiteral("error"), QStringLiteral("no temporary folder"));
        return result;
    }
    const QString full = dir.filePath(QStringLiteral("full.xml"));
    if (!buildFullFile(full)) {
        result.insert(QStringLiteral("error"), QStringLiteral("could not build the settings file"));
        return result;
    }

    // Start-up: a cold read of every key. Each run reads its own copy, so no run is served
    // from the parse of an earlier one.
    std::vector<double> startup;
    int checksum = 0;
    for (int r = 0; r < runs; ++r) {
        const QString copy = dir.filePath(QStringLiteral("startup%1.xml").arg(r));
        QFile::copy(full, copy);
        startup.push_back(secondsOf([&] { checksum += readEverything(copy); }));
    }

    // Close: the frame's keys, the three histories and the tools, as the main window writes
    // them, onto a file that start-up has read. Values change each run so the disk is written.
    std::vector<double> closeBatched, closeOneByOne;
    for (int r = 0; r < runs; ++r) {
        const QString copy = dir.filePath(QStringLiteral("close%1.xml").arg(r));
        QFile::copy(full, copy);
        readEverything(copy);
        pw::XmlSettingsStore store(copy);
        closeBatched.push_back(secondsOf([&] {
            pw::XmlSettingsStore::Batch batch(store);
            frameForRun(r).save(store);
            store.saveHistory(latin1(s::section::SearchHistory),
                              historyEntries(QStringLiteral("f%1").arg(r)), 0);
            store.saveHistory(latin1(s::section::ReplaceHistory),
                              historyEntries(QStringLiteral("r%1").arg(r)), 0);
            store.saveHistory(latin1(s::section::DirectoryHistory),
                              historyEntries(QStringLiteral("d%1").arg(r)), 0);
            store.writeTools(latin1(s::section::ExternalTools), latin1(s::ToolElement), tools());
            batch.commit();
        }));
        closeOneByOne.push_back(secondsOf([&] { writeFrameKeysOneByOne(store, r); }));
    }

    result.insert(QStringLiteral("runs"), runs);
    result.insert(QStringLiteral("file_bytes"), QFileInfo(full).size());
    result.insert(QStringLiteral("frame_keys"), FrameKeyCount);
    result.insert(QStringLiteral("startup_read_seconds"), median(startup));
    result.insert(QStringLiteral("startup_read_target_seconds"), StartupReadTargetSeconds);
    result.insert(QStringLiteral("close_write_seconds"), median(closeBatched));
    result.insert(QStringLiteral("close_write_target_seconds"), CloseWriteTargetSeconds);
    result.insert(QStringLiteral("close_write_one_save_per_key_seconds"), median(closeOneByOne));
    result.insert(QStringLiteral("meets_targets"),
                  median(startup) <= StartupReadTargetSeconds &&
                      median(closeBatched) <= CloseWriteTargetSeconds);
    result.insert(QStringLiteral("checksum"), checksum);

    if (largeMb > 0) {
        // Robustness rather than speed: a huge file must be read and rewritten, just slowly.
        const QString large = dir.filePath(QStringLiteral("large.xml"));
        if (buildLargeFile(large, largeMb * 1024 * 1024)) {
            result.insert(QStringLiteral("large_file_bytes"), QFileInfo(large).size());
            result.insert(QStringLiteral("large_file_startup_read_seconds"),
                          secondsOf([&] { readEverything(large); }));
            pw::XmlSettingsStore store(large);
            result.insert(QStringLiteral("large_file_write_seconds"),
                          secondsOf([&] { store.writeInt(s::view::TabWidth, 3); }));
            QStringList names;
            result.insert(QStringLiteral("large_file_keys"),
                          store.enumerateKeys(QStringLiteral("Bulk"), names));
        } else {
            result.insert(QStringLiteral("large_file_error"),
                          QStringLiteral("could not build the large file"));
        }
    }
    return result;
}

} // namespace

PW_BENCH("settings", run);
