// The bytes of a hex document: a piece table over the file, with grouped undo and atomic saves.
#pragma once

#include "hex/engine/atomicwrite.h"
#include "hex/engine/bytesource.h"
#include "hex/engine/filesource.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pw::hex {

struct BufferOptions
{
    PageCacheOptions cache;
};

// What one undo or redo did to the content: at offset, removed bytes went and inserted bytes
// came. For a group, the change it made last.
struct EditRange
{
    Offset offset = 0;
    Offset removed = 0;
    Offset inserted = 0;
    friend bool operator==(const EditRange &, const EditRange &) = default;
};

// Opening reads nothing but the file's length: the content is a list of pieces, each a run of
// the opened file or of the bytes added since, and reads go to the file page by page. Memory
// grows with the edits, never with the file.
//
// Invariants: size() is the sum of the pieces; offsets are 0-based and 64-bit; every edit is
// undoable until clearUndoHistory(). One thread edits; reads (and so searches) may run on other
// threads as long as no edit runs at the same time.
class HexBuffer final : public ByteSource
{
public:
    explicit HexBuffer(const BufferOptions &options = {});
    ~HexBuffer() override;
    HexBuffer(const HexBuffer &) = delete;
    HexBuffer &operator=(const HexBuffer &) = delete;

    // Loads a file, dropping the content, path and history before. On failure (*error says why)
    // the buffer is left empty, with no path. A file of 0 bytes opens as an empty buffer.
    bool open(const std::string &path, std::string *error = nullptr);
    // Empty, without a path or history.
    void clear();
    // The file the buffer was opened from or last saved to; empty for a new buffer.
    const std::string &path() const { return m_path; }

    Offset size() const override { return m_size; }
    bool read(Offset offset, void *dst, std::size_t length) const override;
    // The bytes of [offset, offset + length) clipped to the buffer; for tests and small callers.
    std::vector<std::uint8_t> bytes(Offset offset, Offset length) const;

    // Edits. Each is one undo step, or part of the open undo group. They return false and change
    // nothing when the range does not lie within [0, size()].
    bool insert(Offset offset, std::span<const std::uint8_t> bytes);
    // Overwrites from offset on; bytes reaching past the end are appended.
    bool overwrite(Offset offset, std::span<const std::uint8_t> bytes);
    bool remove(Offset offset, Offset length);
    // Replaces [offset, offset + length) with bytes (a paste over a selection).
    bool replace(Offset offset, Offset length, std::span<const std::uint8_t> bytes);

    bool canUndo() const { return m_applied > 0; }
    bool canRedo() const { return m_applied < m_steps.size(); }
    // nullopt when there is nothing to undo or redo.
    std::optional<EditRange> undo();
    std::optional<EditRange> redo();
    // Edits between begin and end (nested pairs count once) undo as one step. Undo, redo and
    // saving close the step early; later edits of the group then make a new one.
    void beginUndoGroup();
    void endUndoGroup();
    class UndoGroup
    {
    public:
        explicit UndoGroup(HexBuffer &buffer) : m_buffer(buffer) { m_buffer.beginUndoGroup(); }
        ~UndoGroup() { m_buffer.endUndoGroup(); }
        UndoGroup(const UndoGroup &) = delete;
        UndoGroup &operator=(const UndoGroup &) = delete;

    private:
        HexBuffer &m_buffer;
    };
    // Forgets every step; the bytes held only for undo are freed.
    void clearUndoHistory();

    // True when undo and redo do not lead back to the content last saved or opened.
    bool isModified() const { return m_savedAt != m_applied; }
    // The current content counts as saved.
    void setSavePoint();

    // Writes the content to a temporary file beside the target, flushes it and renames it over
    // the target, keeping the target's permissions. On success the buffer reads from the new file
    // and is unmodified; undo still works, and may lead back to the bytes before the save. On
    // failure the target is untouched and the buffer stays as it was.
    bool save(std::string *error = nullptr, const SaveOptions &options = {});
    // As save(), to another file, which becomes path().
    bool saveAs(const std::string &path, std::string *error = nullptr,
                const SaveOptions &options = {});
    // Writes the content to path the same way but keeps reading from the current file; neither
    // path() nor the modified flag change.
    bool writeCopy(const std::string &path, std::string *error = nullptr,
                   const SaveOptions &options = {}) const;

    // True once a file the content comes from could not deliver its bytes (it was shortened,
    // removed from a network share, or failed to read). The content can then be neither trusted
    // nor saved; errorString() says why.
    bool hasError() const;
    std::string errorString() const;
    // Looks at the files the content comes from now; false (with hasError()) when one of them has
    // become shorter since it was opened.
    bool checkFiles() const;

    // Bookkeeping, for tests and benchmarks.
    std::size_t pieceCount() const { return m_pieces.size(); }
    std::size_t addedBytes() const { return m_added.size(); }
    std::size_t openFileCount() const;

private:
    // A run of source bytes at a place in the content. source 0 is m_added, k > 0 is
    // m_files[k - 1].
    struct Piece
    {
        Offset start = 0; // in the content; kept only for pieces in the table
        Offset from = 0;  // in the source
        Offset length = 0;
        std::uint32_t source = 0;
    };
    // One change of the table: at offset, removed pieces were replaced by inserted ones.
    struct Splice
    {
        Offset offset = 0;
        std::vector<Piece> removed;
        std::vector<Piece> inserted;
    };
    struct Step
    {
        std::vector<Splice> splices;
    };

    static Offset lengthOf(const std::vector<Piece> &pieces);
    std::size_t pieceAt(Offset offset) const;
    std::size_t splitAt(Offset offset);
    void splice(Offset offset, Offset length, const std::vector<Piece> &inserted,
                std::vector<Piece> *removed);
    void mergeAround(std::size_t first, std::size_t last);
    void record(Splice splice);
    bool writeTo(AtomicFileWriter &writer, std::string *error) const;
    bool saveTo(const std::string &path, std::string *error, const SaveOptions &options);
    void dropUnusedSources();
    const FileSource &file(std::uint32_t source) const { return *m_files[source - 1]; }

    BufferOptions m_options;
    std::string m_path;
    std::vector<Piece> m_pieces;
    Offset m_size = 0;
    std::vector<std::uint8_t> m_added; // append-only while any piece may refer to it
    std::vector<std::unique_ptr<FileSource>> m_files;

    std::vector<Step> m_steps;
    std::size_t m_applied = 0; // steps [0, m_applied) are done, the rest can be redone
    // Value of m_applied when the content was last saved; nullopt when no undo or redo can lead
    // back there any more.
    std::optional<std::size_t> m_savedAt = 0;
    int m_groupDepth = 0;
    bool m_stepOpen = false; // the last step takes the group's next edits
};

} // namespace pw::hex
