#pragma once

// Std
#include <optional>

// Qt
#include <QString>
#include <QtGlobal>

#include "fileerror.h"

// A file that the user named, opened for reading. It is opened without waiting and its type is
// checked on the open file, not on its name: whatever stands at the name at the moment of
// opening (a pipe with no writer, a device, a folder swapped in after an earlier look) is
// refused at once instead of read, and nothing can change it between the check and the reads.
class CSourceFile
{
public:
    CSourceFile() = default;
    ~CSourceFile();
    CSourceFile(const CSourceFile &) = delete;
    CSourceFile &operator=(const CSourceFile &) = delete;

    // Opens `path`, on Unix through the bytes of its name (FileName::ToNative), and makes every
    // call that a signal interrupts again. Nothing for a regular file; else what it is (a folder,
    // not a regular file), a name that no file can have, or why opening failed (ErrorText says
    // it in the system's words).
    std::optional<FileError::Problem> Open(const QString &path);

    // The length of the file when it was opened.
    qint64 Size() const { return m_size; }

    // Reads up to `max` bytes, fewer only at the end of the file. -1 on a failed read.
    qint64 Read(char *data, qint64 max);

    // errno of the last failed call (on Windows the system's error turned into its errno
    // equivalent), and the system's own text for it, without a final period (empty for none).
    int Error() const { return m_error; }
    QString ErrorText() const;

    void Close();

private:
    // One read call of at most `max` bytes: what it read, 0 at the end, -1 on a failure.
    qint64 ReadOnce(char *data, qint64 max);

#ifdef Q_OS_WIN
    void *m_handle = nullptr;
    unsigned long m_nativeError = 0;
#else
    int m_fd = -1;
#endif
    qint64 m_size = 0;
    int m_error = 0;
};
