#pragma once

#include <atomic>
#include <thread>

#include "common/ustring.h"
#include "extractor/entry_queue.h"
#include "extractor/extractor.h"

struct archive;
struct stat;
class EntryCount;

// Writes the pieces the reader hands over below root. On a thread of its own, the writer
// works inside root (a working directory of that thread alone), so the per-entry link checks
// walk only the entry's own path. The progress steps are sent from the reader's thread, the
// caller's, as Deliver and Finish find entries written.
class EntryWriter {
public:
    EntryWriter(const ustring &root, EntryCount &count, Extractor::Totals &totals);
    ~EntryWriter();  // waits for the thread

    EntryWriter(const EntryWriter &) = delete;
    EntryWriter &operator=(const EntryWriter &) = delete;

    // -1 when the disk writer cannot be made; logged. The writer refuses to replace the file
    // package describes (the package being read), whatever its name below root.
    int Open(const struct stat &package);
    // Hands a piece on: to the writing thread when there is one, else written here. false
    // once the writer has failed.
    bool Deliver(PackagePiece piece);
    // Ends the writing, after the whole package (read_whole) or a failed read, and waits for
    // it; 0, or -1 after a failure of either side (logged where it happened).
    int Finish(bool read_whole);

private:
    void Run();
    void WriteAll();
    void SendSteps();
    bool Write(PackagePiece &piece);
    bool WriteHeader(archive_entry *entry);
    bool WriteData(const PackagePiece &piece);
    bool FinishEntry();
    // Logs the failure line troubleshooting knows and the step behind it; false.
    bool Failed(const char *step);
    void Close();

    ustring root_;
    ustring base_;  // what entry names are placed under: "." inside root, else root itself
    EntryCount &count_;
    Extractor::Totals &totals_;
    archive *writer_ = nullptr;
    bool in_entry_ = false;
    long long entry_size_ = 0;
    ustring entry_path_;  // as written, below base_
    ustring entry_name_;  // as the package names it
    bool regular_file_ = false;
    bool failed_ = false;
    std::atomic<int> written_{0};  // entries written, counted by the writer
    EntryQueue queue_;
    std::thread thread_;
};
