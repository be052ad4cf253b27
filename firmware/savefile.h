#pragma once

// Std
#include <optional>

// Qt
#include <QString>
#include <QtGlobal>

#include "fileerror.h"

// Saving a finished file under its name, all at once, the way git's lockfile and
// `cp --preserve=all` do it. The bytes go to a temporary file in the target's folder (one
// without a name where the system has them, Linux's O_TMPFILE; else a short hidden name), are
// flushed to disk and checked, and only then does the file take the target's name. The file is
// flushed once more after that, so that the link count its name gave it is on disk too (a
// folder's sync does not write it on ext2 or ext4 without a journal), and then the folder, so
// the name survives a power cut. A failed save leaves the target as it was and no temporary file
// behind, and so does a save interrupted by a signal: only a kill that cannot be caught, in the
// moment a named temporary file exists, can leave one. Every call that a signal can interrupt
// (EINTR, as FUSE and NFS pass it on) is made again.
//
// A replace gives a new file that keeps what the old one was: its mode bits (from stat), its
// ACL and extended attributes and its owner and group; on Windows its attributes and security
// descriptor (ReplaceFileW). All of it is read from the file that the folder's descriptor found,
// through one descriptor of it, and a failure to read or keep any of it fails the save; only the
// owner that a process without the privilege may not give away is left to it, as cp does. Hard
// links to the old file keep the old content.
namespace SaveFile {

// Where a file is to be saved, looked at once: the name it gets, the file that name stands for,
// the layout its extension asks for and what stands there now, or why nothing can be saved under
// it. The checks, the dry run, the save and every message read this one value.
//
// What stands at the name counts by cp's rule for symbolic links: a link to an existing file
// stands for that file, which is replaced in its own folder (the link stays); a link to nothing
// is refused. So are a folder, a device, pipe or socket, a name the system would change on its
// way (on Windows also a device name such as NUL or COM1.QUF), a missing folder and a read-only
// file system.
struct Target {
    QString name;         // the name the file gets: the path given, on Windows without the dots and
                          // spaces that end it (FileName::AsSaved). Messages name it.
    QString file;         // the file to create or replace: `name`, or the file a link at it leads to
    QString folder;       // the folder of `file` as given: "." for a bare name
    int layout = -1;      // the layout `name` asks for (Layout::KindForName): KindRom, KindUpgrade, or
                          // -1 to keep the record's
    bool exists = false;  // `file` exists and saving replaces it
    // Set when nothing can be saved as `name`: why, and the path it is about (the name, or the
    // folder that is missing, or the file that stands where a folder should).
    std::optional<FileError::Cause> refusal;
};

Target Resolve(const QString &path);

enum class Outcome {
    Saved,
    Exists,       // replacing was not allowed and something has the name now
    OpenFailed,   // the temporary file could not be created, or the target may not be replaced
    WriteFailed,  // writing, flushing or naming the file failed; the target is as it was
    // The file has its name and its new bytes, but the flush after the naming failed: of the
    // file itself (NotFlushed) or of its folder (FolderNotFlushed). A power cut could lose it.
    NotFlushed,
    FolderNotFlushed,
};

struct Result {
    Outcome outcome = Outcome::Saved;
    // Why it did not end Saved, as the messages tell it: the problem and the path it is about
    // (the target's name, or the folder or part of the path at fault), with the system's text.
    FileError::Cause cause;
    // A temporary file that could not be removed, by its path, and why; whatever the outcome, it
    // is told.
    QString leftover;
    QString leftoverText;

    // What the system reported, from which Save makes `cause`: the errno of the failing call (its
    // equivalent on Windows, 0 if unknown), the system's description, and a cause with a sentence
    // of its own (a mount point, a folder that is a file, a file open in another program ...)
    // about `problemPath`, or the target when that is empty.
    int error = 0;
    QString systemText;
    std::optional<FileError::Problem> problem;
    QString problemPath;
};

enum class Mode {
    Save,
    // A dry run: every step up to the writing, in the real folder, then the temporary file is
    // discarded. Room for the bytes is reserved where the file system can, so a full disk is
    // found too, and the empty file is flushed, so a device whose flush fails is. Nothing is
    // left changed.
    Probe,
};

// Saves `size` bytes as `target` (one without a refusal). An existing file is replaced in one
// step; for a target that did not exist the naming step fails with Outcome::Exists when the name
// is taken, even by a file that appeared while the bytes were being written.
Result Save(const Target &target, const char *data, qint64 size, Mode mode = Mode::Save);

// A write past a file-size limit must fail with EFBIG, to be reported like a full disk,
// instead of ending the program by the signal the system sends. Call once at start-up.
void IgnoreFileSizeSignal();

}  // namespace SaveFile
