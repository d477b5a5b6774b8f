// Pairs of files for the diff benchmark: generated edits of source-like text, and real pairs.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace pw::diff::bench {

// How the second file of a generated pair departs from the first.
struct EditPlan
{
    double megabytes = 1;      // size of the first file
    double changedPercent = 1; // share of lines inserted, deleted or edited
    int movedBlocks = 0;       // blocks of 200-2000 lines cut and pasted elsewhere
    std::uint64_t seed = 1;
};

// Lines that look like program text: indented statements with identifiers, numbers and strings
// (nearly all different), plus blank lines, braces and a few stock lines that repeat thousands of
// times. Edits are single lines or short runs: about a third each replaced by a similar line,
// inserted and deleted.
struct GeneratedPair
{
    std::string first;
    std::string second;
};
GeneratedPair generatePair(const EditPlan &plan);

// A real pair to compare: two files already on disk, or two texts produced here.
struct RealPair
{
    QString name;
    QString first; // paths
    QString second;
};

struct RevisionPair
{
    QString oldRevision;
    QString newRevision;
};

// Pairs found on this machine, written into folder where they have to be put together: licence
// versions from /usr/share/common-licenses, and the text files of a git repository at pairs of
// revisions, each revision concatenated into one file (a header line per file, then the file).
// What could not be found is added to notes.
std::vector<RealPair> findRealPairs(const QString &folder, const QString &repository,
                                    const std::vector<RevisionPair> &revisions, QStringList &notes);

// The repository's first commit (empty when there is no repository).
QString rootRevision(const QString &repository);

bool writeFile(const QString &path, const std::string &bytes);

} // namespace pw::diff::bench
