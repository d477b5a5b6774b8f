// Choosing a language from the extension, the whole file name and the first line, over the
// shipped language files, and language files written before file names were listed.
#include "languages/engine/languagechoice.h"
#include "languages/engine/languagefile.h"
#include "tests/languages/languagetestutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pw;
using namespace pw::test;
using namespace Qt::StringLiterals;

TEST(LanguageChoice, ShippedFilesChooseByExtensionThenNameThenFirstLine)
{
    LanguageList list;
    ASSERT_TRUE(list.load(QStringLiteral(PW_LANGUAGE_CONFIG_DIR)));
    const struct
    {
        const char *path;
        const char *firstLine;
        const char *language;
    } rows[] = {
        // The extension comes first, even against the first line.
        {"src/tool.py", "#!/bin/sh", "Python"},
        {"x.mk", "# -*- mode: python -*-", "Makefile"},
        // Dotless and dot-only names.
        {"/home/u/src/Makefile", "", "Makefile"},
        {"GNUmakefile", "#!/usr/bin/env python3", "Makefile"},
        {"makefile", "", "Makefile"},
        {"Dockerfile", "FROM debian:12", "Shell Script"},
        {"PKGBUILD", "# Maintainer: someone", "Shell Script"},
        {"/home/u/.bashrc", "", "Shell Script"},
        {".profile", "", "Shell Script"},
        {"Rakefile", "", "Ruby"},
        // Text's own extension gives way to a name that says more.
        {"CMakeLists.txt", "cmake_minimum_required(VERSION 3.20)", "CMake"},
        // "#!" lines, through env, with options and versions.
        {"configure-site", "#!/bin/sh", "Shell Script"},
        {"run", "#! /bin/bash -e", "Shell Script"},
        {"zprompt", "#!/usr/bin/zsh", "Shell Script"},
        {"tool", "#!/usr/bin/env python3", "Python"},
        {"tool2", "#!/usr/bin/python3.11 -u", "Python"},
        {"report", "#!/usr/bin/perl -w", "Perl"},
        {"gen", "#!/usr/bin/env ruby", "Ruby"},
        {"gui", "#!/usr/bin/wish", "Tcl"},
        {"shell", "#!/usr/bin/env -S tclsh8.6", "Tcl"},
        {"conf", "#!/usr/bin/env lua5.4", "Lua"},
        {"server", "#!/usr/bin/env node", "JavaScript"},
        {"notes.txt", "#!/bin/sh", "Shell Script"},
        {"feed", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "XML"},
        // Mode lines of Emacs and vim.
        {"setup", "# -*- mode: python; coding: utf-8 -*-", "Python"},
        {"lib", ";; -*- Lisp -*-", "Lisp"},
        {"hooks", "# -*- sh -*-", "Shell Script"},
        {"rules", "# vim: set ft=make :", "Makefile"},
        {"init", "-- vi: ft=lua", "Lua"},
        {"doc", "<!-- vim: set filetype=xml: -->", "XML"},
        // Nothing to go by: Text.
        {"README", "Just words.", "Text"},
        {"odd", "#!/opt/bin/unheardof", "Text"},
        {"", "", "Text"},
    };
    for (const auto &row : rows) {
        const LanguageChoice choice =
            chooseLanguage(list, QString::fromUtf8(row.path), QString::fromUtf8(row.firstLine));
        const LanguageRecord chosen = list.get(choice.index);
        EXPECT_EQ(chosen.menuLabel, QString::fromUtf8(row.language))
            << row.path << " | " << row.firstLine;
        if (chosen.menuLabel != u"Text"_s) {
            EXPECT_EQ(choice.lexerId, chosen.lexerId) << row.path;
        }
    }
}

TEST(LanguageChoice, EveryShippedFileNameReachesItsOwnLanguage)
{
    // A name that another file also lists, or whose extension another language claims, would
    // never reach the language listing it.
    LanguageList list;
    ASSERT_TRUE(list.load(QStringLiteral(PW_LANGUAGE_CONFIG_DIR)));
    int names = 0;
    for (int i = 0; i < list.count(); ++i) {
        const LanguageRecord record = list.get(i);
        for (const QString &name : record.fileNames.split(u';', Qt::SkipEmptyParts)) {
            ++names;
            EXPECT_EQ(chooseLanguage(list, u"/src/"_s + name, u"#!/usr/bin/perl"_s).index, i)
                << name.toStdString();
        }
    }
    EXPECT_GE(names, 8);
}

TEST(LanguageChoice, FirstLineOfAnyEncodingAndLineEnd)
{
    const struct
    {
        QByteArray head;
        const char *line;
    } rows[] = {
        {"#!/bin/sh\r\necho\r\n", "#!/bin/sh"},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<a/>", "<?xml version=\"1.0\"?>"},
        {QByteArray("\xFF\xFE#\0!\0/\0b\0i\0n\0/\0s\0h\0\n\0x\0", 22), "#!/bin/sh"},
        {QByteArray("\xFE\xFF\0#\0!\0x\0\r", 10), "#!x"},
        {"no line end", "no line end"},
        {"", ""},
    };
    for (const auto &row : rows)
        EXPECT_EQ(firstLineOf(row.head), QString::fromUtf8(row.line)) << row.line;
}

TEST(LanguageChoice, FilesWithoutFileNamesStillLoadAndNamesAreMatchedWhole)
{
    QTemporaryDir dir;
    // A language file as written before file names were listed, and one that lists them.
    ASSERT_TRUE(writeFile(dir.filePath(u"a-old.config"_s),
                          languageXml("Old Make", ".mk", "<LEXERID>31</LEXERID>")));
    ASSERT_TRUE(writeFile(dir.filePath(u"b-new.config"_s),
                          languageXml("New Make", ".mak",
                                      "<LEXERID>31</LEXERID>"
                                      "<FILENAMES> Makefile ; GNUmakefile;;</FILENAMES>")));
    ASSERT_TRUE(writeFile(dir.filePath(u"c-text.config"_s),
                          languageXml("Text", ".*;.txt", "<DEFAULT>Y</DEFAULT>")));
    LanguageList list;
    ASSERT_TRUE(list.load(dir.path()));
    ASSERT_EQ(list.count(), 3) << list.loadErrors().join(u'\n').toStdString();
    EXPECT_TRUE(list.get(0).fileNames.isEmpty());
    EXPECT_EQ(list.get(0).extensions, u".mk"_s);

    const struct
    {
        const char *path;
        const char *firstLine;
        int index;
    } rows[] = {
        {"Makefile", "", 1},
        {"MAKEFILE", "", 1},                // names, like extensions, ignore case
        {"dir/GNUmakefile", "", 1},         // the folder is not part of the name
        {"Makefile.old", "", 2},            // a whole name, not a prefix
        {"xMakefile", "", 2},               //
        {"rules", "# vim: set ft=mk :", 0}, // a hint taken as an extension reaches the old file
        {"a.mk", "", 0},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(
            chooseLanguage(list, QString::fromUtf8(row.path), QString::fromUtf8(row.firstLine))
                .index,
            row.index)
            << row.path;
    }
    // Unclaimed: the default, with the document's function-list number left alone.
    EXPECT_FALSE(chooseLanguage(list, u"README"_s, u"words"_s).lexerId);
}
