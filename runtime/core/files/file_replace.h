// Replacing a file whole without bypassing its protection. The new bytes go to a
// temporary file beside the target, which is renamed over the target only once every
// byte is there: a failed or interrupted write leaves the old file as it was and no
// partial file behind. The rename would also replace a file the user may not write, or a
// device, FIFO or socket standing under the name; such targets are refused before anything
// is written, with the reason an open for writing would give. The replaced file keeps its
// permission bits, and its owner and group where the process may give them.
//
// Paths are UTF-8 (the bytes the system takes). A symbolic link is followed to the file
// it names, so that the link stays and its file is replaced.
#pragma once

#include <string>
#include <sys/types.h>

class FileReplacement {
public:
    FileReplacement() = default;
    // Removes the temporary file of a replacement that was not committed.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Checks the target and creates the temporary file (readable and writable by its
    // owner only until Commit). Empty on success, else the reason ("Permission denied",
    // "Is a directory", "is not a regular file", ...), and nothing was created.
    std::string Begin(const std::string& path);

    // Where the bytes go: the temporary file, or the target itself when written in place.
    const std::string& WritePath() const { return writePath_; }
    // An open read-write descriptor on WritePath, positioned at its start; owned here.
    int Descriptor() const { return fd_; }
    // The file that is replaced (links followed).
    const std::string& Target() const { return target_; }
    // True when the target's folder takes no new file but the target itself may be
    // written: the bytes then go straight into it, and a failed write cannot be undone.
    bool InPlace() const { return inPlace_; }

    // Gives the written file the target's permission bits (those of a new file when there
    // was none), its owner and group where the process may, and renames it over the
    // target. Empty on success; else the reason, the temporary file is gone and the
    // target is as it was.
    std::string Commit();
    // Removes the temporary file; the target stays as it was.
    void Abort();

    // After a successful Commit: what of the replaced file's ownership could not be kept,
    // e.g. "it now belongs to nobody instead of root", for the caller's message; empty when
    // nothing changed.
    const std::string& Notice() const { return notice_; }

private:
    std::string CreateTemporary();
    void KeepOwnership();

    std::string target_;
    std::string writePath_;
    std::string notice_;
    int fd_ = -1;
    bool inPlace_ = false;
    bool existed_ = false;
    mode_t mode_ = 0; // permission bits the file gets on Commit
    uid_t owner_ = 0; // of the replaced file
    gid_t group_ = 0;
};

// The reason used for an existing target that is not a regular file.
extern const char* const NotARegularFile;
