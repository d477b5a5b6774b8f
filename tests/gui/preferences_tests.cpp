// "Document Properties" in the running program: each page's values reach the settings, the open
// windows and the next start; Cancel, the number edits, the file filters, colours and backups.
#include "chrome/commandbars.h"
#include "chrome/themes.h"
#include "editor/ridereview.h"
#include "languages/engine/languagerecord.h"
#include "preferences/pagefilefilter.h"
#include "preferences/pagegeneralmore.h"
#include "preferences/pagesyntaxcolour.h"
#include "preferences/preferencescommands.h"
#include "preferences/propertiessheet.h"
#include "preferences/propertypage.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "settings/framesettings.h"
#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"
#include "tests/support/appfixture.h"

#ifdef PENWRIGHT_WITH_DESKTOP
#include "desktop/engine/desktopentry.h"
#endif

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>

using namespace pw;
using pw::test::AppFixture;

namespace {

class PreferencesTest : public AppFixture
{
protected:
    void SetUp() override
    {
        // Colour changes are written into the language files: this test gets its own copies.
        const QDir shipped(QStringLiteral(PENWRIGHT_BUILD_DIR "/Config"));
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("Config")));
        for (const QString &name : shipped.entryList({QStringLiteral("*.config")}, QDir::Files))
            QFile::copy(shipped.filePath(name), m_dir.filePath(QStringLiteral("Config/") + name));
        AppFixture::SetUp();
    }
    void TearDown() override
    {
        PreferencesCommands::setSheetHook({});
        CPageFileFilter::setTestHook({});
        AppFixture::TearDown();
    }

    // Opens the sheet through its command; drive() plays the user and closes it.
    void withSheet(const std::function<void(CPropertiesSheet &)> &drive)
    {
        bool shown = false;
        PreferencesCommands::setSheetHook([&](CPropertiesSheet &sheet) {
            shown = true;
            drive(sheet);
        });
        ASSERT_TRUE(run(Cmd::EditorProperties));
        PreferencesCommands::setSheetHook({});
        ASSERT_TRUE(shown);
    }
    template<typename T> static T *control(CPropertiesSheet &sheet, const char *name)
    {
        T *found = sheet.findChild<T *>(QLatin1String(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    static void press(CPropertiesSheet &sheet, QDialogButtonBox::StandardButton which)
    {
        sheet.buttons()->button(which)->click();
    }
    FrameSettings &mirror() const { return frame()->settings(); }
    CMFCScintilla *openEditor(const char *name, const QByteArray &text = "int main() {}\n")
    {
        CRidereDoc *doc = open(writeFile(QString::fromLatin1(name), text));
        return doc ? doc->editor() : nullptr;
    }
};

// A page that marks itself changed while it fills its controls would light Apply for nothing.
TEST_F(PreferencesTest, SheetOpensWithEveryPageUnchanged)
{
    EXPECT_TRUE(state(Cmd::EditorProperties).enabled);
    withSheet([](CPropertiesSheet &sheet) {
        EXPECT_EQ(sheet.tabs()->count(), int(CPropertiesSheet::PageCount));
        EXPECT_FALSE(sheet.buttons()->button(QDialogButtonBox::Apply)->isEnabled());
        for (int i = 0; i < CPropertiesSheet::PageCount; ++i)
            EXPECT_FALSE(sheet.page(i)->isModified()) << i;
        sheet.reject();
    });
}

// One control of a page: set as the user would, then found in the settings and, where it shows
// in a window, in the open editor.
struct PageCase
{
    const char *control;
    std::function<void(QWidget *)> set;
    std::function<bool(const FrameSettings &)> stored;
    std::function<bool(CMainFrame *, CMFCScintilla *)> applied; // null: nothing on screen
};

template<typename T> std::function<void(QWidget *)> as(std::function<void(T *)> set)
{
    return [set](QWidget *w) { set(qobject_cast<T *>(w)); };
}

TEST_F(PreferencesTest, EveryPageRoundTripsAndReachesTheOpenWindowsAndTheNextStart)
{
    CMFCScintilla *ed = openEditor("main.cpp");
    ASSERT_TRUE(ed);
    mirror().caretLine = true;
    const QString backupRoot = m_dir.filePath(QStringLiteral("deep/new/backups"));
    const QString dictionaries = m_dir.filePath(QStringLiteral("dicts"));
    const auto check = [](bool on) {
        return as<QAbstractButton>([on](QAbstractButton *b) { b->setChecked(on); });
    };
    const auto text = [](QString value) {
        return as<QLineEdit>([value](QLineEdit *e) { e->setText(value); });
    };
    const auto slide = [](int value) {
        return as<QSlider>([value](QSlider *s) { s->setValue(value); });
    };
    const std::vector<PageCase> cases = {
        // General
        {"tabAsSpaces", check(false), [](auto &s) { return !s.tabAsSpaces; },
         [](CMainFrame *, CMFCScintilla *e) { return e->send(Sci::SCI_GETUSETABS) == 1; }},
        {"tabGuides", check(true), [](auto &s) { return s.tabGuides; },
         [](CMainFrame *, CMFCScintilla *e) {
             return e->send(Sci::SCI_GETINDENTATIONGUIDES) != Sci::SC_IV_NONE;
         }},
        {"tabWidth", text(QStringLiteral("7")), [](auto &s) { return s.tabWidth == 7; },
         [](CMainFrame *, CMFCScintilla *e) { return e->send(Sci::SCI_GETTABWIDTH) == 7; }},
        {"caretLineColour",
         as<ColourButton>([](ColourButton *b) { b->chooseColour(0x00123456); }),
         [](auto &s) { return s.caretLineColour == 0x00123456u; },
         [](CMainFrame *, CMFCScintilla *e) {
             return e->send(Sci::SCI_GETCARETLINEBACK) == 0x00123456;
         }},
        {"caretLineTransparency", slide(40), [](auto &s) { return s.caretLineTransparency == 40; },
         [](CMainFrame *, CMFCScintilla *e) {
             return e->send(Sci::SCI_GETCARETLINEBACKALPHA) == 40;
         }},
        {"rememberOpenFiles", check(false), [](auto &s) { return !s.rememberOpenFiles; }, {}},
        // Backup Manager
        {"backupVersions", check(true), [](auto &s) { return s.backupSetting == 2; }, {}},
        {"backupFolder", text(backupRoot),
         [backupRoot](auto &s) { return s.backupFolder == QDir::cleanPath(backupRoot); },
         [backupRoot](CMainFrame *, CMFCScintilla *) { return QFileInfo(backupRoot).isDir(); }},
        {"versions", text(QStringLiteral("12")), [](auto &s) { return s.versions == 12; }, {}},
        {"deleteOnExit", check(true), [](auto &s) { return s.deleteOnExit; }, {}},
        // General Settings More
        {"resetUndoOnSave", check(false), [](auto &s) { return !s.resetUndoOnSave; }, {}},
        {"smallIcons", check(true), [](auto &s) { return !s.largeTBIcons; },
         [](CMainFrame *f, CMFCScintilla *) { return !f->commandBars()->largeIcons(); }},
        {"theme", as<QComboBox>([](QComboBox *c) { c->setCurrentText(QStringLiteral("Office XP")); }),
         [](auto &s) { return s.theme == 723; },
         [](CMainFrame *, CMFCScintilla *) { return currentTheme() == 723; }},
        // Spell Checker
        {"dictionaryPath", text(dictionaries),
         [dictionaries](auto &s) { return s.dictionaryPath == QDir::cleanPath(dictionaries); },
         {}},
        // Printer Options
        {"printHeader", check(true), [](auto &s) { return s.printHeader; }, {}},
        {"printFooter", check(true), [](auto &s) { return s.printFooter; }, {}},
        {"printLineNumbers", check(true), [](auto &s) { return s.printLineNumbers; }, {}},
        {"printFormat2", check(true), [](auto &s) { return s.printFormat == 2; }, {}},
        // View Settings
        {"longLinePos", text(QStringLiteral("120")), [](auto &s) { return s.longLinePos == 120; },
         [](CMainFrame *, CMFCScintilla *e) { return e->send(Sci::SCI_GETEDGECOLUMN) == 120; }},
        {"transparentDialogs", check(false), [](auto &s) { return !s.transparentDialogs; },
         [](CMainFrame *f, CMFCScintilla *) {
             return !f->commandBars()->presentation().transparentDialogs;
         }},
        {"transparentPercent", slide(40), [](auto &s) { return s.transparentPercent == 40; },
         [](CMainFrame *f, CMFCScintilla *) {
             return f->commandBars()->presentation().transparentPercent == 40;
         }},
    };
    for (const PageCase &c : cases)
        ASSERT_FALSE(c.stored(mirror())) << c.control << " already holds the value";

    withSheet([&](CPropertiesSheet &sheet) {
        for (const PageCase &c : cases) {
            QWidget *widget = control<QWidget>(sheet, c.control);
            ASSERT_TRUE(widget);
            c.set(widget);
        }
        EXPECT_TRUE(sheet.buttons()->button(QDialogButtonBox::Apply)->isEnabled());
        press(sheet, QDialogButtonBox::Ok);
    });
    for (const PageCase &c : cases) {
        SCOPED_TRACE(c.control);
        EXPECT_TRUE(c.stored(mirror()));
        if (c.applied) {
            EXPECT_TRUE(c.applied(frame(), ed));
        }
    }

    // Written at close, read at the next start.
    for (CMDIChildFrame *f : frame()->workspace().documentFrames())
        f->closeWithoutAsking();
    ASSERT_TRUE(closeApp());
    startApp();
    for (const PageCase &c : cases) {
        SCOPED_TRACE(c.control);
        EXPECT_TRUE(c.stored(mirror()));
    }
}

TEST_F(PreferencesTest, CancelLeavesTheSettingsAsTheLastApplyLeftThem)
{
    const FrameSettings before = mirror();
    withSheet([&](CPropertiesSheet &sheet) {
        control<QLineEdit>(sheet, "tabWidth")->setText(QStringLiteral("9"));
        control<QAbstractButton>(sheet, "printFooter")->setChecked(true);
        control<QComboBox>(sheet, "theme")->setCurrentIndex(4);
        control<QSlider>(sheet, "transparentPercent")->setValue(30);
        press(sheet, QDialogButtonBox::Cancel);
    });
    EXPECT_TRUE(mirror() == before);
    EXPECT_EQ(currentTheme(), before.theme);

    withSheet([&](CPropertiesSheet &sheet) {
        control<QLineEdit>(sheet, "tabWidth")->setText(QStringLiteral("9"));
        press(sheet, QDialogButtonBox::Apply);
        EXPECT_FALSE(sheet.buttons()->button(QDialogButtonBox::Apply)->isEnabled());
        control<QAbstractButton>(sheet, "printFooter")->setChecked(!before.printFooter);
        press(sheet, QDialogButtonBox::Cancel);
    });
    EXPECT_EQ(mirror().tabWidth, 9);
    EXPECT_EQ(mirror().printFooter, before.printFooter);
}

TEST_F(PreferencesTest, NumberEditsRaiseToOneRevertAtTheLimitAndFollowTheSpin)
{
    withSheet([&](CPropertiesSheet &sheet) {
        const struct
        {
            const char *edit;
            const char *typed;
            const char *shown;
            int spin;
        } steps[] = {
            {"tabWidth", "0", "1", 1},       {"tabWidth", "12", "12", 12},
            {"tabWidth", "1234", "12", 12},  {"versions", "0", "1", 1},
            {"versions", "42", "42", 42},    {"versions", "420", "42", 42},
            {"longLinePos", "700", "700", 500}, {"longLinePos", "7000", "700", 500},
        };
        for (const auto &step : steps) {
            SCOPED_TRACE(std::string(step.edit) + " <- " + step.typed);
            QLineEdit *edit = control<QLineEdit>(sheet, step.edit);
            edit->setText(QString::fromLatin1(step.typed));
            EXPECT_EQ(edit->text(), QString::fromLatin1(step.shown));
            EXPECT_EQ(control<QSpinBox>(sheet, (std::string(step.edit) + "Spin").c_str())->value(),
                      step.spin);
        }
        auto *spin = control<QSpinBox>(sheet, "tabWidthSpin");
        spin->setValue(33);
        EXPECT_EQ(control<QLineEdit>(sheet, "tabWidth")->text(), QStringLiteral("33"));
        press(sheet, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(mirror().tabWidth, 33);
    EXPECT_EQ(mirror().versions, 42);
    EXPECT_EQ(mirror().longLinePos, 700);
}

TEST_F(PreferencesTest, FileFiltersAddDeleteAndTestEditTheSettingsFile)
{
    const QString section = QString::fromLatin1(settings::section::FileFilter);
    {
        XmlSettingsStore store(frame()->settingsFile());
        store.writeLabelExtension(section, QStringLiteral("entry_2"), QStringLiteral("C files"),
                                  QStringLiteral("*.c;*.h"));
        store.writeLabelExtension(section, QStringLiteral("entry_7"), QStringLiteral("Logs"),
                                  QStringLiteral("*.log"));
        // Half an entry is not listed and does not count.
        store.writeLabelExtension(section, QStringLiteral("entry_9"), QString(),
                                  QStringLiteral("*.x"));
    }
    QStringList tested;
    CPageFileFilter::setTestHook([&](const QStringList &filters) { tested = filters; });
    withSheet([&](CPropertiesSheet &sheet) {
        auto *list = control<QTreeWidget>(sheet, "filterList");
        ASSERT_EQ(list->topLevelItemCount(), 2);
        auto *label = control<QLineEdit>(sheet, "filterLabel");
        auto *extension = control<QLineEdit>(sheet, "filterExtension");
        auto *add = control<QPushButton>(sheet, "filterAdd");

        label->setText(QStringLiteral("Markdown"));
        add->click(); // no extension: nothing happens
        EXPECT_EQ(list->topLevelItemCount(), 2);
        extension->setText(QStringLiteral("*.md"));
        add->click();
        EXPECT_EQ(list->topLevelItemCount(), 3);
        EXPECT_TRUE(label->text().isEmpty() && extension->text().isEmpty());
        QString l, e;
        EXPECT_TRUE(XmlSettingsStore(frame()->settingsFile())
                        .readLabelExtension(section, QStringLiteral("entry_8"), l, e));
        EXPECT_EQ(l, QStringLiteral("Markdown"));
        EXPECT_EQ(e, QStringLiteral("*.md"));

        control<QPushButton>(sheet, "filterTest")->click();
        EXPECT_TRUE(tested.contains(QStringLiteral("Markdown (*.md)"))) << tested.join(" | ").toStdString();
        EXPECT_EQ(tested.size(), 4); // three filters and All Files

        list->clearSelection();
        m_messages.clear();
        control<QPushButton>(sheet, "filterDelete")->click();
        ASSERT_EQ(m_messages.size(), 1);
        EXPECT_EQ(m_messages.first(), resourceText(Str::SelectFiltersBeforeDelete));

        list->topLevelItem(0)->setSelected(true);
        list->topLevelItem(2)->setSelected(true);
        control<QPushButton>(sheet, "filterDelete")->click();
        ASSERT_EQ(list->topLevelItemCount(), 1);
        EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("Logs"));
        sheet.reject();
    });
    QStringList keys;
    XmlSettingsStore(frame()->settingsFile()).enumerateKeys(section, keys);
    keys.sort();
    EXPECT_EQ(keys, QStringList({"entry_7", "entry_9"}));
}

TEST_F(PreferencesTest, ColourChangeIsSavedAndReachesTheOpenDocument)
{
    CMFCScintilla *ed = openEditor("colour.cpp");
    ASSERT_TRUE(ed);
    const int language = activeDoc()->languageIndex();
    const LanguageRecord before = frame()->languages().get(language);
    ASSERT_GT(before.styleCount, 1);
    const int row = 1;
    const int style = before.styles[row].style;
    const quint32 colour = before.styles[row].foreground == 0x00345678u ? 0x00876543u : 0x00345678u;

    withSheet([&](CPropertiesSheet &sheet) {
        auto *page = static_cast<CPageSyntaxColour *>(sheet.page(CPropertiesSheet::SyntaxColouring));
        control<QComboBox>(sheet, "fileType")->setCurrentIndex(language);
        control<QListWidget>(sheet, "styles")->setCurrentRow(row);
        auto *sample = control<CSampleWnd>(sheet, "sample");
        EXPECT_EQ(sample->foreground(), before.styles[row].foreground);
        control<ColourButton>(sheet, "foreground")->chooseColour(colour);
        // The sample follows at once; the program's languages only once applied.
        EXPECT_EQ(sample->foreground(), colour);
        EXPECT_EQ(page->languages().get(language).styles[row].foreground, colour);
        EXPECT_EQ(frame()->languages().get(language).styles[row].foreground,
                  before.styles[row].foreground);
        press(sheet, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(frame()->languages().get(language).styles[row].foreground, colour);
    EXPECT_EQ(quint32(ed->send(Sci::SCI_STYLEGETFORE, style)), colour);
    EXPECT_TRUE(readFile(before.filePath).contains(colourToText(colour).toLatin1()));
}

TEST_F(PreferencesTest, BackupPageEnablesTheAdvancedGroupOnlyForVersionsAndDeletesFiles)
{
    const QString root = m_dir.filePath(QStringLiteral("backups"));
    mirror().backupFolder = root;
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/3")));
    withSheet([&](CPropertiesSheet &sheet) {
        auto *folder = control<QLineEdit>(sheet, "backupFolder");
        control<QAbstractButton>(sheet, "backupSimple")->setChecked(true);
        EXPECT_FALSE(folder->isEnabled());
        control<QAbstractButton>(sheet, "backupVersions")->setChecked(true);
        EXPECT_TRUE(folder->isEnabled());
        auto *deleteFiles = control<QPushButton>(sheet, "deleteFiles");
        if (!deleteFiles->isEnabled()) // a build without backups cannot delete them
            GTEST_SKIP();
        m_answer = QMessageBox::No;
        deleteFiles->click();
        EXPECT_TRUE(QFileInfo(root).isDir());
        m_answer = QMessageBox::Yes;
        deleteFiles->click();
        EXPECT_EQ(m_messages.last(), resourceText(Str::BackupDeleteAllQuestion));
        EXPECT_FALSE(QFileInfo(root).exists());
        sheet.reject();
    });
}

TEST_F(PreferencesTest, DesktopEntryFollowsTheCheckBoxOnlyWhenItChanged)
{
#ifdef PENWRIGHT_WITH_DESKTOP
    const QString dataHome = m_dir.filePath(QStringLiteral("xdg-data"));
    CPageGeneralMore::setDataHomeForTesting(dataHome);
    withSheet([&](CPropertiesSheet &sheet) {
        auto *box = control<QAbstractButton>(sheet, "desktopIntegration");
        EXPECT_TRUE(box->isEnabled());
        EXPECT_FALSE(box->isChecked());
        box->setChecked(true);
        press(sheet, QDialogButtonBox::Apply);
        EXPECT_TRUE(desktop::isDesktopEntryInstalled(dataHome));
        box->setChecked(false);
        press(sheet, QDialogButtonBox::Ok);
    });
    EXPECT_FALSE(desktop::isDesktopEntryInstalled(dataHome));
    // Made by someone else: the box shows it, and an Apply that leaves the box alone keeps it.
    QString error;
    ASSERT_TRUE(desktop::installDesktopEntry(dataHome, QStringLiteral("/usr/bin/penwright"), &error))
        << error.toStdString();
    withSheet([&](CPropertiesSheet &sheet) {
        EXPECT_TRUE(control<QAbstractButton>(sheet, "desktopIntegration")->isChecked());
        control<QAbstractButton>(sheet, "printHeader")->toggle();
        press(sheet, QDialogButtonBox::Ok);
    });
    EXPECT_TRUE(desktop::isDesktopEntryInstalled(dataHome));
    CPageGeneralMore::setDataHomeForTesting({});
#else
    withSheet([&](CPropertiesSheet &sheet) {
        EXPECT_FALSE(control<QAbstractButton>(sheet, "desktopIntegration")->isEnabled());
        sheet.reject();
    });
#endif
}

} // namespace
