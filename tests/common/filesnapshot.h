#pragma once

// What a folder holds, for the save tests: every entry (hidden ones too) with its type, mode,
// owner, link count, bytes or link text, and extended attributes (the ACL among them). Two
// snapshots compare equal when nothing in the folder changed.

// Qt
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>
#include <QStringList>

#if defined(__unix__)
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace FileSnapshot {

struct Entry {
    unsigned mode = 0;  // type and permission bits
    unsigned uid = 0;
    unsigned gid = 0;
    unsigned links = 0;
    QByteArray content;  // a regular file's bytes, or a symbolic link's text
    QMap<QByteArray, QByteArray> attributes;
    bool operator==(const Entry &) const = default;
};

// The extended attributes of `path` itself (not of a link's target).
inline QMap<QByteArray, QByteArray> Attributes(const QString &path)
{
    QMap<QByteArray, QByteArray> attributes;
#if defined(__linux__)
    const QByteArray name = QFile::encodeName(path);
    QByteArray list(65536, '\0');
    const ssize_t n = ::llistxattr(name.constData(), list.data(), std::size_t(list.size()));
    if (n <= 0)
        return attributes;
    list.resize(n);
    for (const QByteArray &key : list.split('\0')) {
        if (key.isEmpty())
            continue;
        QByteArray value(65536, '\0');
        const ssize_t m = ::lgetxattr(name.constData(), key.constData(), value.data(), std::size_t(value.size()));
        if (m >= 0) {
            value.resize(m);
            attributes.insert(key, value);
        }
    }
#else
    Q_UNUSED(path);
#endif
    return attributes;
}

inline Entry Of(const QString &path)
{
    Entry e;
#if defined(__unix__)
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0)
        return e;
    e.mode = st.st_mode;
    e.uid = st.st_uid;
    e.gid = st.st_gid;
    e.links = unsigned(st.st_nlink);
    if (S_ISLNK(st.st_mode)) {
        QByteArray target(4096, '\0');
        const ssize_t n = ::readlink(name.constData(), target.data(), std::size_t(target.size()));
        e.content = target.left(n < 0 ? 0 : n);
    } else if (S_ISREG(st.st_mode)) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            e.content = file.readAll();
    }
    e.attributes = Attributes(path);
#else
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        e.content = file.readAll();
#endif
    return e;
}

using Folder = QMap<QString, Entry>;

inline QStringList Names(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

inline Folder Take(const QString &folder)
{
    Folder snapshot;
    for (const QString &name : Names(folder))
        snapshot.insert(name, Of(QDir(folder).filePath(name)));
    return snapshot;
}

}  // namespace FileSnapshot
