#pragma once

// A flushfs mount (tests/common/flushfs.cpp) for the life of the object: a FUSE pass-through
// file system whose fsync fails with EIO ("eio"), waits for the test ("block") or works
// ("pass"), and which may lack hard links (",nolink") and renames with flags (",norename2"), or
// fail every flush of a file after the first (",eiolater") or of a folder (",eiodir").
// Built only where libfuse3 is; mounting needs /dev/fuse and root or fusermount3.
// When it cannot mount, skipReason() says why, for QSKIP.

// Qt
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#if defined(__unix__)
#include <sys/stat.h>
#include <unistd.h>
#endif

class FlushMount
{
public:
    // An empty mode mounts nothing (for tables whose other rows need no mount).
    explicit FlushMount(const QString &mode)
    {
        if (mode.isEmpty()) {
            m_skip = QStringLiteral("nothing to mount");
            return;
        }
#ifndef BRINDLE_FLUSHFS_PATH
        Q_UNUSED(mode);
        m_skip = QStringLiteral("flushfs was not built: libfuse3 (libfuse3-dev) was not found");
#else
        if (!QFileInfo::exists(QStringLiteral("/dev/fuse"))) {
            m_skip = QStringLiteral("no /dev/fuse on this machine");
            return;
        }
        const QString fusermount = QStandardPaths::findExecutable(QStringLiteral("fusermount3"));
        if (::geteuid() != 0 && fusermount.isEmpty()) {
            m_skip = QStringLiteral("FUSE needs root or fusermount3 (package fuse3)");
            return;
        }
        if (!m_dir.isValid() || !QDir(m_dir.path()).mkpath(QStringLiteral("backing"))
            || !QDir(m_dir.path()).mkpath(QStringLiteral("mount"))
            || !QDir(m_dir.path()).mkpath(QStringLiteral("state"))) {
            m_skip = QStringLiteral("cannot create the mount's folders");
            return;
        }
        QStringList options{QStringLiteral("default_permissions"), QStringLiteral("max_threads=8")};
        if (!fusermount.isEmpty())
            options << QStringLiteral("auto_unmount");  // gone with the process, however it ends
        m_process.setProgram(QStringLiteral(BRINDLE_FLUSHFS_PATH));
        m_process.setArguments({mode, state(), backing(), path(), QStringLiteral("-f"), QStringLiteral("-o"),
                                options.join(QLatin1Char(','))});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        const QDeadlineTimer deadline(10000);
        while (!Mounted() && !deadline.hasExpired() && m_process.state() != QProcess::NotRunning)
            QThread::msleep(20);
        if (!Mounted()) {
            m_skip = QStringLiteral("flushfs did not mount: ") + m_process.errorString();
            Stop();
        }
#endif
    }
    ~FlushMount()
    {
        Stop();
    }
    FlushMount(const FlushMount &) = delete;
    FlushMount &operator=(const FlushMount &) = delete;

    bool isMounted() const
    {
        return m_skip.isEmpty();
    }
    QString skipReason() const
    {
        return m_skip;
    }
    QString path() const
    {
        return m_dir.filePath(QStringLiteral("mount"));
    }
    QString backing() const
    {
        return m_dir.filePath(QStringLiteral("backing"));
    }
    QString state() const
    {
        return m_dir.filePath(QStringLiteral("state"));
    }

    // For "block": the flush has begun and waits; Release lets it (and every later one) go on.
    bool FlushEntered() const
    {
        return QFileInfo::exists(QDir(state()).filePath(QStringLiteral("entered")));
    }
    // For "block": waits until `process`, which saves onto the mount, has begun a flush; false
    // when it ended or never got there.
    bool WaitForFlush(const QProcess &process) const
    {
        const QDeadlineTimer deadline(20000);
        while (!FlushEntered() && !deadline.hasExpired() && process.state() == QProcess::Running)
            QThread::msleep(10);
        return FlushEntered();
    }
    void Release() const
    {
        QFile file(QDir(state()).filePath(QStringLiteral("release")));
        file.open(QIODevice::WriteOnly);
    }

private:
    // The mount point is on another device than its parent once mounted.
    bool Mounted() const
    {
#if defined(__unix__)
        struct stat mount {};
        struct stat parent {};
        return ::stat(QFile::encodeName(path()).constData(), &mount) == 0
               && ::stat(QFile::encodeName(m_dir.path()).constData(), &parent) == 0 && mount.st_dev != parent.st_dev;
#else
        return false;
#endif
    }

    void Stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        Release();
        const QString fusermount = QStandardPaths::findExecutable(QStringLiteral("fusermount3"));
        if (!fusermount.isEmpty())
            QProcess::execute(fusermount, {QStringLiteral("-u"), QStringLiteral("-z"), path()});
        else
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), path()});
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_skip;
};
