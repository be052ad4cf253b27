#pragma once

// brindle-cli run under strace, for the save tests that fail, stop or hold a system call.

// Qt
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

namespace TracedRun {

// LeakSanitizer (in the sanitizer build) stops the world through ptrace, which a traced process
// cannot: the leak check is left to the runs without strace.
inline QProcessEnvironment WithoutLeakCheck()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               asan.isEmpty() ? QStringLiteral("detect_leaks=0") : asan + QStringLiteral(":detect_leaks=0"));
    return env;
}

// The program strace (process `strace`) runs: its first child, or 0.
inline qint64 Program(qint64 strace)
{
    QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(strace));
    if (!children.open(QIODevice::ReadOnly))
        return 0;
    return children.readAll().trimmed().split(' ').value(0).toLongLong();
}

}  // namespace TracedRun
