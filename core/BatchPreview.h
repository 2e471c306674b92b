#pragma once

// What a batch run would do to each listed file, found before anything is touched and the way
// the run will meet it: the new names come from the run's own rules (ComposeBatchName, the
// name-field check), and the disk is read once per folder (ReadFolderFacts), so that redoing
// the verdicts for new options is a pass over strings and hash lookups.
// A new name held by another listed file that the same run renames away is no clash: the run
// frees such names first.

#include "FileOps.h"
#include "NameIndex.h"
#include "RenameOptions.h"

#include <span>
#include <string>
#include <vector>

namespace tarvolin {

enum class Verdict : unsigned char {
    Fine,
    CaseOnly,  // a letter-case-only change on a case-insensitive volume: a temporary name
    Unchanged, // the name stays; the attributes and times are still set
    // The failures.
    NameFieldFault, // the name field is no plain name: the run touches no file
    Missing,
    FolderReadOnly, // its folder takes no new names (a read-only volume, no write permission)
    ListedTwice,    // the same file as row `otherRow`
    NameTooLong,    // for its volume
    BadCharacters,  // `"*:<>?\|`, a control character, a trailing dot or space on FAT, exFAT, NTFS
    SameNewName,    // as row `otherRow`
    TakenOnDisk,    // by a file not in the list
    KeptByRow,      // by the file of row `otherRow`, which keeps its name
    AttributesNotStored,
    CreationTimeNotStored,
    TimeOutOfRange, // a time to set outside what an MS-DOS date-time holds
};

bool Fails(Verdict verdict);

struct RowVerdict {
    Verdict verdict = Verdict::Fine;
    int otherRow = -1; // 0-based
};

// The list and the disk as one look found them; re-read when the list changes or the user asks.
class ListOnDisk {
public:
    explicit ListOnDisk(std::vector<std::string> paths);
    // The index keeps views into the paths and the listings.
    ListOnDisk(const ListOnDisk&) = delete;
    ListOnDisk& operator=(const ListOnDisk&) = delete;

    const std::vector<std::string>& paths() const { return paths_; }

    struct Row {
        int folder = -1;
        std::size_t nameStart = 0; // where the name begins in the path, old and new alike
        int sameFileAs = -1;       // an earlier row listing the same file
        bool missing = false;
    };
    const std::vector<Row>& rows() const { return rows_; }
    const std::vector<FolderFacts>& folders() const { return folders_; }
    // Each entry of each folder by its name (folded where the volume folds names): the row
    // listing it, -1 for a file not in the list.
    const NameIndex& holders() const { return holders_; }

private:
    void IndexHolders();

    std::vector<std::string> paths_;
    std::vector<Row> rows_;
    std::vector<FolderFacts> folders_;
    NameIndex holders_;
};

struct BatchPreview {
    std::vector<std::string> newPaths;
    std::vector<RowVerdict> verdicts;
    int failing = 0;
    std::string summary; // "3 of 200 will fail: 2 names taken on disk, 1 listed twice"
};

BatchPreview PreviewBatch(const ListOnDisk& list, const RenameOptions& options);

// The verdict in words, for a row of the preview.
std::string VerdictText(const RowVerdict& row, const BatchPreview& preview);

} // namespace tarvolin
