// One worker's search of one file: reading in bounded chunks, the editor's choice of encoding,
// and every matching line with its number, column and text as the editor shows it.
#pragma once

#include "editor/encoding/codec.h"
#include "editor/encoding/encodingdetector.h"
#include "editor/textsearch/textsearch.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pw::fif {

// A matching line: the first match on it, its line counted from 1 and its column as the byte
// offset of the match from the line start in the editor's (UTF-8) text.
struct Hit
{
    std::string path;
    int line = 0;
    unsigned column = 0;
    std::string text; // the line without its line end, UTF-8
};

class FileScanner
{
public:
    // Bytes read from a file at a time; memory per worker stays about twice this, whatever the
    // size of the file, plus its longest line.
    static constexpr std::size_t ChunkBytes = 1u << 20;

    enum class Outcome {
        Searched,
        Binary,     // a zero byte in the first 1024 bytes and no encoding that explains it
        Unreadable, // cannot be opened or read
        Stopped,    // the budget's cancel token was set
    };

    // The pattern and budget (with the search's cancel token) outlive the scanner.
    FileScanner(const search::SearchPattern &pattern, search::SearchBudget &budget);

    // Appends the matching lines of the file at path.
    Outcome scanFile(const std::string &path, std::vector<Hit> &hits);
    // Between chunks of a long file, once hits holds at least `at` lines, hands it to spill,
    // which empties it, where none of them can be taken back any more: a file with a hundred
    // thousand matching lines is never held whole.
    void setSpill(std::function<void(std::vector<Hit> &)> spill, std::size_t at)
    {
        m_spill = std::move(spill);
        m_spillAt = at;
    }
    // The same for text the editor holds (UTF-8), such as an open document's unsaved text.
    Outcome scanText(const std::string &path, std::string_view text, std::vector<Hit> &hits);

private:
    enum class Mode { Utf8, Auto, Ansi, Decode };
    enum class Prefilter { None, Exact, Folded };

    // The first place in [from, end) where the literal text's bytes stand (folded for a search
    // that ignores case): no match of the editor's text of a byte-compatible file can start
    // anywhere else. Null when there is none.
    // whole: one scan of a whole text, where a set-up per call costs nothing.
    const char *findCandidate(const char *from, const char *end, bool whole = false) const;
    // The same for a search that ignores case, on the text itself (no folded copy).
    const char *findFolded(const char *from, const char *end) const;
    // Searches text that starts at a line start whose number is m_line; unless last, counts its
    // lines on into m_line. False when stopped.
    bool searchRegion(const char *data, std::size_t length, bool last, const std::string &path,
                      std::vector<Hit> &hits);
    // Turns the Windows-1252 bytes of m_text into UTF-8 in place.
    void decodeAnsiText();

    const search::SearchPattern &m_pattern;
    search::SearchBudget &m_budget;
    Prefilter m_prefilter = Prefilter::None;
    std::string m_needle;    // lower case for Folded
    std::size_t m_rare = 0;  // the needle's least common byte, where candidate scans look first
    std::size_t m_pairB = 0; // the next least common one, which the folded scan checks too
    int m_line = 1;
    std::function<void(std::vector<Hit> &)> m_spill;
    std::size_t m_spillAt = 0;
    // Kept between files, so that its copy of each sample reuses one buffer.
    enc::EncodingDetector m_detector;
    std::string m_text; // the editor's text of the chunk being searched, after the carried part
    std::string m_raw;  // file bytes waiting for decoding
    std::string m_spare;
};

} // namespace pw::fif
