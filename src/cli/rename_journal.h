// The journal of `velmo rename`: one JSON line {"from": OLD, "to": NEW} per rename, on disk
// before the rename it describes, so that a run stopped at any moment can be taken back.
#pragma once

#include <sys/types.h>

#include <ostream>
#include <string>
#include <vector>

namespace velmo::cli {

class RenameJournal {
public:
    // Opens the file for appending, creating it. Throws std::system_error when it cannot be
    // written, before anything is renamed.
    explicit RenameJournal(const std::string& path);
    ~RenameJournal();
    RenameJournal(const RenameJournal&) = delete;
    RenameJournal& operator=(const RenameJournal&) = delete;

    // Appends the line and waits until it is on disk. Paths are made absolute.
    void record(const std::string& from, const std::string& to);
    // Takes the last line back: its rename did not happen.
    void retract();

private:
    void sync() const;

    std::string path_;
    int fd_ = -1;
    off_t before_last_ = 0;
};

struct JournalEntry {
    std::string from;
    std::string to;
};

// One journal line, or false when the line is no journal line.
bool parse_journal_line(const std::string& line, JournalEntry& entry);
std::string journal_line(const JournalEntry& entry);

// Puts the journal's files back, last rename first, never replacing anything: "NEW -> OLD" on
// out for each, and on err a "velmo:" line for each file that cannot go back. A rename that never
// happened (NEW missing, OLD there) is passed over quietly, so undoing twice is harmless. Returns
// 0, or 1 when a file stayed or the journal cannot be read.
int undo_journal(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace velmo::cli
