// Where the program keeps its own files: the per-user or portable settings folder and its paths.
#pragma once

#include <QString>

namespace pw {

// The folder rule: a program whose folder lies inside the install prefix keeps its files in the
// per-user folder "<local app data>/Brightmoor/Penwright"; any other copy (a build tree, a folder
// on a removable drive) keeps them beside itself. Every path is computed on request, so a test can
// swap the inputs at any time.
class AppFolders
{
public:
    struct Inputs
    {
        QString programFile;  // absolute path of the running program
        QString programFiles; // the install prefix standing in for the program-files folder
        QString localAppData; // the per-user application data folder
        QString documents;    // the user's documents folder
    };

    // The inputs of the running program (QCoreApplication must exist).
    static Inputs systemInputs();
    // A package may install the program under another prefix than the build was configured with
    // (a .deb under /usr): a program in "<root>/bin" with "<root>/share/Brightmoor/Penwright"
    // beside it was installed under <root>, which this returns; empty for any other program.
    static QString installedPrefixOf(const QString &programFile);
    // Replace the inputs for the rest of the process (tests and the portable launcher).
    static void setInputs(const Inputs &inputs);
    static const Inputs &inputs();

    // Folder of the running program, ending in a separator.
    static QString programFolder();
    static bool isPerUser();
    // The settings folder: per-user form without a trailing separator, program form with one,
    // so that the file names below join the same way in both forms.
    static QString settingsFolder();
    static QString perUserFolder();
    static QString settingsFile();
    static QString layoutFile();
    static QString backupFolder();
    // Snapshots of unsaved documents, offered back after a crash.
    static QString recoveryFolder();
    static QString dictionaryFolder();
    static QString configFolder();
    // Where an installation puts the files shipped with the program (language files, Tidy
    // profiles, the help page): "<prefix>/share/Brightmoor/Penwright".
    static QString installedDataFolder();
    // Where an installation puts the shipped language files, read when the per-user folder has
    // none of its own.
    static QString installedConfigFolder();
    // A file shipped with the program, by its path relative to the program ("help/index.html"):
    // beside the program when it is there (a build tree or a portable copy), otherwise in the
    // installation's data folder. Returns the first of the two when neither exists.
    static QString shippedFile(const QString &relative);
    static QString documentsFolder();
};

} // namespace pw
