// Comparing two files as the program opens them: encoding detection, binary files, read errors.
#pragma once

#include "compare/engine/diffcontrol.h"
#include "compare/engine/diffresult.h"
#include "compare/engine/difftext.h"
#include "compare/engine/unifieddiff.h"
#include "editor/encoding/docencoding.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace pw::diff {

enum class CompareStatus {
    Compared,  // both files are text: see FileComparison::diff
    Binary,    // at least one file is binary: compared byte by byte
    Cancelled, // the token was set; nothing else is valid
    Failed,    // a file could not be read: see failedSide and error
};

enum class Side : std::uint8_t { First, Second };

struct ComparedFile
{
    QString path;
    enc::DocEncoding encoding = enc::Ansi; // as detected from the file's first bytes
    int markLength = 0;                    // byte-order mark bytes skipped before the text
    bool binary = false;                   // a zero byte in an 8-bit sample, as open decides
    std::int64_t size = 0;                 // file size in bytes
    DiffText text;                         // editor bytes (UTF-8 unless 8-bit); empty if Binary
};

struct FileComparison
{
    CompareStatus status = CompareStatus::Failed;
    ComparedFile first;
    ComparedFile second;
    DiffResult diff; // Compared only
    // Binary only: offset of the first byte that differs, or the shorter file's size when it is
    // the start of the longer one; empty when the files are byte for byte the same.
    std::optional<std::int64_t> firstDifference;
    // Failed only: which file, and why (a sentence naming the file).
    Side failedSide = Side::First;
    QString error;

    // No difference found (under the options used); false for Failed and Cancelled.
    bool identical() const
    {
        return (status == CompareStatus::Compared && diff.identical()) ||
               (status == CompareStatus::Binary && !firstDifference);
    }
};

// Reads and compares two files. Each file's encoding is detected from its first 1024 bytes and
// the file decoded exactly as the open routine would, so a UTF-16 file compares equal to its UTF-8
// copy. When either file is binary both are compared byte by byte instead. A missing, unreadable
// or non-regular file, and a text file that would decode to more than 2 GB, give Failed with a
// message. Progress runs from 0 to 1000 (reading takes
// the first quarter).
FileComparison compareFiles(const QString &first, const QString &second,
                            const DiffOptions &options = {}, const DiffControl &control = {});

// The unified diff of a comparison: the text diff for Compared, "Binary files A and B differ\n"
// for differing binary files, and nothing when they are identical, failed or cancelled.
std::string unifiedDiff(const FileComparison &comparison, const UnifiedOptions &options);

} // namespace pw::diff
