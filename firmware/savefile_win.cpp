// Saving a file on Windows: a temporary file marked to be deleted on close, then MoveFileExW
// for a new name or ReplaceFileW for an existing one.
#include "savefile.h"

// Std
#include <algorithm>
#include <optional>
#include <string>

// Qt
#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include "filename.h"
#include "savefile_p.h"

namespace SaveFile {

using namespace Internal;

namespace {

// The longest name of one file that Windows' file systems take, in UTF-16 code units.
constexpr qsizetype kMaxNameLength = 255;

int ErrnoForWindowsError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EBUSY;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_ACCESS_DENIED:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILE_TOO_LARGE: return EFBIG;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    default: return EIO;
    }
}

Result WindowsFailure(Outcome outcome, DWORD code)
{
    Result r;
    r.outcome = outcome;
    r.error = ErrnoForWindowsError(code);
    r.systemText = FileError::WindowsErrorText(code);
    r.problem = FileError::ForWindowsError(code);
    return r;
}

std::wstring Native(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// A file marked so is deleted when its last handle closes, however the program ends.
bool SetDeleteOnClose(HANDLE h, bool on)
{
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = on ? TRUE : FALSE;
    return ::SetFileInformationByHandle(h, FileDispositionInfo, &info, sizeof info);
}

// Best effort: not every file system lets a folder be flushed on its own.
void FlushFolder(const QString &folder)
{
    const HANDLE h = ::CreateFileW(Native(folder).c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    ::FlushFileBuffers(h);
    ::CloseHandle(h);
}

}  // namespace

Target Internal::Examine(const QString &path)
{
    // Judged by the name first: a device name opens a device in every folder, whatever exists
    // there.
    if (const std::optional<FileError::Problem> problem = FileError::ForPath(path))
        return Refused(*problem, path);
    const QFileInfo info(path);
    // Longer names fail late and obscurely (as a missing path); say what is wrong at once.
    if (info.fileName().size() > kMaxNameLength)
        return Refused(FileError::Problem::Unexpected, path, FileError::WindowsErrorText(ERROR_FILENAME_EXCED_RANGE));
    Target t;
    t.file = path;
    if (info.isSymLink()) {
        if (!info.exists())
            return Refused(FileError::Problem::DanglingLink, path);
        t.file = info.canonicalFilePath();
    }
    if (info.exists()) {
        if (info.isDir())
            return Refused(FileError::Problem::IsFolder, path);
        if (!info.isFile())
            return Refused(FileError::Problem::NotRegular, path);
        t.exists = true;
        return t;
    }
    if (QFileInfo(info.absolutePath()).isDir())
        return t;
    // The deepest part of the path that exists tells a missing folder from a file in the way.
    const QString folder = FileName::FolderPart(path);
    for (QString part = folder;;) {
        const QFileInfo here(part);
        if (here.exists()) {
            if (!here.isDir())
                return Refused(FileError::Problem::NotAFolder, part);
            break;
        }
        const QString up = FileName::FolderPart(part);
        if (up == part)
            break;
        part = up;
    }
    return Refused(FileError::Problem::FolderMissing, folder);
}

Result Internal::SaveAs(const QString &target, const char *data, qint64 size, bool replace, Mode mode)
{
    // ReplaceFileW wants to know the folder: a bare name is taken from the current one.
    const QString file = QFileInfo(target).absoluteFilePath();
    const QString folder = QFileInfo(file).absolutePath();
    if (replace) {
        // The read-only attribute: a file Windows would not let this program write is not replaced.
        const QFileInfo old(file);
        if (old.exists() && !old.isWritable())
            return WindowsFailure(Outcome::OpenFailed, ERROR_ACCESS_DENIED);
        // A file another program holds open without sharing cannot be replaced; found here, the
        // dry run finds it too, and ReplaceFileW is not left to fail half-way.
        const HANDLE held =
            ::CreateFileW(Native(file).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (held == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_NOT_FOUND)
                return WindowsFailure(Outcome::WriteFailed, error);
        } else {
            ::CloseHandle(held);
        }
    }

    HANDLE h = INVALID_HANDLE_VALUE;
    QString temp;
    for (int attempt = 0; attempt < kNameAttempts && h == INVALID_HANDLE_VALUE; ++attempt) {
        temp = folder + QLatin1Char('/') + TemporaryName();
        h = ::CreateFileW(Native(temp).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                          nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
                return WindowsFailure(Outcome::OpenFailed, error);
        }
    }
    if (h == INVALID_HANDLE_VALUE)
        return WindowsFailure(Outcome::OpenFailed, ERROR_FILE_EXISTS);
    // Until it has its name the file goes with its handle, however the program ends.
    const bool deleteOnClose = SetDeleteOnClose(h, true);
    const auto fail = [&](Outcome outcome, DWORD error) {
        ::CloseHandle(h);
        if (!deleteOnClose)
            ::DeleteFileW(Native(temp).c_str());
        return WindowsFailure(outcome, error);
    };

    if (mode == Mode::Probe) {
        FILE_ALLOCATION_INFO room{};
        room.AllocationSize.QuadPart = size;
        if (!::SetFileInformationByHandle(h, FileAllocationInfo, &room, sizeof room)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL)
                return fail(Outcome::WriteFailed, error);
        }
        if (!::FlushFileBuffers(h))
            return fail(Outcome::WriteFailed, ::GetLastError());
        ::CloseHandle(h);
        if (!deleteOnClose)
            ::DeleteFileW(Native(temp).c_str());
        return {};
    }

    for (qint64 done = 0; done < size;) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<qint64>(size - done, 1 << 30));
        if (!::WriteFile(h, data + done, chunk, &written, nullptr))
            return fail(Outcome::WriteFailed, ::GetLastError());
        if (written == 0)
            return fail(Outcome::WriteFailed, ERROR_WRITE_FAULT);
        done += written;
    }
    if (!::FlushFileBuffers(h))
        return fail(Outcome::WriteFailed, ::GetLastError());
    if (deleteOnClose && !SetDeleteOnClose(h, false))
        return fail(Outcome::WriteFailed, ::GetLastError());
    ::CloseHandle(h);

    const std::wstring from = Native(temp);
    const std::wstring to = Native(file);
    if (!replace) {
        // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
        if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
            return {};
        const DWORD error = ::GetLastError();
        ::DeleteFileW(from.c_str());
        const bool taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
        return WindowsFailure(taken ? Outcome::Exists : Outcome::WriteFailed, error);
    }
    // ReplaceFileW keeps the old file's attributes and security descriptor.
    if (!::ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        const DWORD error = ::GetLastError();
        // The old file went away meanwhile: the new one simply takes the name.
        const bool moved =
            error == ERROR_FILE_NOT_FOUND
            && ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (!moved) {
            ::DeleteFileW(from.c_str());
            return WindowsFailure(Outcome::WriteFailed, error);
        }
    }
    FlushFolder(folder);
    return {};
}

}  // namespace SaveFile
