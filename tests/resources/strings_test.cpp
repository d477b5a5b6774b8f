// The string table: unique ids, exact texts, and placeholders that match what callers pass.
#include "resources/resources.h"
#include "resources/stringids.h"
#include "textchecks.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace pw::test {
namespace {

TEST(Strings, IdsAreUniqueAndTextsNonEmpty)
{
    std::set<int> seen;
    for (const res::StringInfo &s : res::strings()) {
        EXPECT_TRUE(seen.insert(s.id).second) << "string id listed twice: " << s.id;
        ASSERT_NE(s.text, nullptr) << s.id;
        EXPECT_NE(*s.text, '\0') << s.id;
        EXPECT_EQ(res::string(s.id), s.text) << s.id;
    }
    EXPECT_GT(seen.size(), 150u);
}

TEST(Strings, UnknownIdGivesAnEmptyText)
{
    for (int id : {0, -1, 10506, 39999, 99999}) {
        ASSERT_NE(res::string(id), nullptr);
        EXPECT_STREQ(res::string(id), "") << id;
    }
}

// Texts whose every byte matters: double blanks, final punctuation, line breaks.
TEST(Strings, ExactTexts)
{
    const std::pair<int, const char *> rows[] = {
        {Str::SearchTextNotFound, "The search text was not found"},
        {Str::NoMoreBookmarks, "No more bookmarks have been found"},
        {Str::FailedSaveFileExtension, "Failed to save the file extension"},
        {Str::SelectFiltersBeforeDelete,
         "Please select one or more filters before pressing Delete."},
        {Str::ProvideSearchValue, "Please provide a search value"},
        {Str::FindNothingToDo, "Find has nothing to do"},
        {Str::StatusLineColumn, "Ln %2d Col %2d"},
        {Str::ReadOnlySuffix, " [Read Only]"},
        {Str::ReloadModifiedQuestion, "This file has been modified.  Continue to reload the file?"},
        {Str::OccurrencesReplaced, "%d occurrence(s) replaced"},
        {Str::ReplaceSelectionEmpty, "Could not replace in selection as nothing was selected."},
        {Str::ReplaceAllNotFound, "Search text not found."},
        {Str::FunctionListNotSupported, "Language not supported"},
        {Str::ColoringNotAvailable, "Coloring Not Available"},
        {Str::BackupFailed, "Penwright failed to backup your file.  Please make sure that the "
                            "backup folder path found in the application properties is valid."},
        {Str::BackupTimeFormat, "%02d %s %d  %02d:%02d"},
        {Str::BackupSelectTwo,
         "Please ensure that just two items are selected before requesting a compare."},
        {Str::CompareSecondMissing,
         "The second file does not exist. Please select a second file to compare"},
        {Str::HexOffsetTooLarge, "Selected offset larger than file length."},
        {Str::HexInvalidDecimalDigit, "Invalid decimal digit. Numeric only."},
        {Str::MacroNameExists, "There is already a macro named %s"},
        {Str::ProjectDeleteQuestion, "Are you sure you want to delete\n'%s'?"},
        {Str::XmlWellFormed, "** document is well formed **"},
        {Str::XmlParseError, "Line: %d Col: %d Error parsing xml := '%s'."},
        {Str::TidySevereError, "A severe error (%d) occurred.\n"},
        {Str::SpellInitFailed, "Failed to initialize the dictionary.  Check that the dictionary "
                               "path is correct in settings"},
        {Str::SpellNoSuggestions, "(no spelling suggestions)"},
        {Str::RedirErrorPrefix, "\r\nError message: "},
        {Str::RedirConsoleError, "Redirect console error: %x\r\n"},
        {Str::ToolOutputRunExternally, "Dos Prompt / Run Externally"},
        {Str::ToolCommandFilter, "Executable (*.exe)|*.exe|Command (*.com)|*.com|Information "
                                 "(*.pif)|*.pif|Batch (*.bat;*.cmd)|*.bat; *.cmd|All Files "
                                 "(*.*)|*.*||"},
        {Str::ShellIntegrationExplainNew,
         "Check this box to add a Penwright shortcut to the Windows Explorer context menu.  "
         "Uncheck this box to remove it. Note: Windows Vista will ask permission to do this."},
        {Str::DocTypeText, "\nUntitled\nPenwright\n\n\nText.Document\nText Document"},
        {Str::DocTypeHex, "\nHex\n\n\n\nSlate.Document\nSlate.Document"},
        {Str::IndicatorInsert, "INS"},
        {Str::CaptionDocumentSelector, "Document Selector"},
        {Str::TidyPageHtmlClean, "HTML Clean & Repair"},
    };
    for (const auto &[id, text] : rows)
        EXPECT_STREQ(res::string(id), text) << id;
}

// Families looked up as first id + index must be complete and in index order.
TEST(Strings, IndexedFamiliesAreContiguous)
{
    struct Row
    {
        int first;
        std::vector<const char *> texts;
    };
    const Row rows[] = {
        {Str::EncodingNameFirst, {"UTF-8", "Unicode", "Unicode (Big Endian)", "Ansi", "Auto"}},
        {Str::LineEndingNameFirst, {"Windows (CRLF)", "Macintosh (CR)", "Unix (LF)"}},
        {Str::OpenAsNameFirst, {"Text", "Hex Editor (Binary)", "Auto"}},
        {Str::ThemeFirst, {"Windows 2000", "Windows XP", "Whidbey", "Office XP", "Office 2003"}},
        {Str::ToolOutputModeFirst,
         {"Output Window", "Editor Document", "Dos Prompt / Run Externally"}},
        {Str::ListNameFirst, {"HTML Tags", "HTML Entities", "Ascii Codes"}},
        {Str::TidyCategoryFirst,
         {"Markup", "Diagnostics", "Pretty Print", "Encoding", "Miscellaneous", "No Category"}},
        {Str::PageGeneral,
         {"General Settings", "File Dialog Filters", "Syntax Coloring", "Backup Manager",
          "General Settings More", "Spell Checker", "Printer Options", "View Settings"}},
        {Str::MonthFirst,
         {"January", "February", "March", "April", "May", "June", "July", "August", "September",
          "October", "November", "December"}},
    };
    for (const auto &row : rows) {
        for (std::size_t i = 0; i < row.texts.size(); ++i)
            EXPECT_STREQ(res::string(row.first + static_cast<int>(i)), row.texts[i])
                << row.first << " + " << i;
    }
    EXPECT_EQ(Str::ThemeLast - Str::ThemeFirst, 4);
    EXPECT_EQ(Str::MonthDecember - Str::MonthFirst, 11);
}

// Every text with a "%" is listed here with the conversions its callers supply; a changed
// placeholder would make them print garbage or crash.
TEST(Strings, PlaceholdersMatchWhatCallersPass)
{
    const std::map<int, std::string> expected = {
        {Str::SaveChangesQuestion, "1"},     {Str::StatusLineColumn, "dd"},
        {Str::PrintPageFooter, "d"},         {Str::ConfigLoadError, "ss"},
        {Str::OccurrencesReplaced, "d"},     {Str::GotoLineLabel, "d"},
        {Str::FindInFilesResultLine, "sds"}, {Str::FunctionListEventError, "d"},
        {Str::BackupTimeFormat, "dsddd"},    {Str::HexStatusPosition, "d"},
        {Str::HexFileLengthHex, "X"},        {Str::HexFileLengthDecimal, "d"},
        {Str::MacroNameExists, "s"},         {Str::MacroDeleteQuestion, "s"},
        {Str::RedirConsoleError, "x"},       {Str::ProjectRemoveQuestion, "s"},
        {Str::ProjectDeleteQuestion, "s"},   {Str::FilePropertiesSize, "d"},
        {Str::FilePropertiesTime, "dsdddd"}, {Str::XmlParseError, "dds"},
        {Str::TidySevereError, "d"},         {Str::SearchStopped, "s"},
        {Str::SearchInvalidPattern, "s"},    {Str::ReplaceExistingQuestion, "1"},
        {Str::CannotEncodeQuestion, "1234"}, {Str::ChangedOnDiskReload, "s"},
        {Str::DeletedOnDiskKeep, "s"},       {Str::ChangedOnDiskSave, "s"},
        {Str::ReloadedFromDisk, "s"},        {Str::TrailingBytesKept, "12"},
        {Str::FileTooLargeForText, "1"},     {Str::SaveFailedReason, "1"},
    };
    for (const res::StringInfo &s : res::strings()) {
        SCOPED_TRACE(s.id);
        const auto signature = formatSignature(s.text);
        ASSERT_TRUE(signature.has_value()) << "malformed placeholder in: " << s.text;
        const auto it = expected.find(s.id);
        if (it == expected.end()) {
            EXPECT_EQ(*signature, "") << "unexpected placeholder in: " << s.text;
        } else {
            EXPECT_EQ(*signature, it->second) << s.text;
        }
    }
    for (const auto &[id, signature] : expected)
        EXPECT_NE(*res::string(id), '\0') << "listed format " << id << " is missing";
}

} // namespace
} // namespace pw::test
