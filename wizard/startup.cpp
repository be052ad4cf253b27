#include "startup.h"

// Std
#include <cstdio>
#include <cstdlib>
#include <optional>

// Qt
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QList>
#include <QRegularExpression>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "brindle_version.h"
#include "cmdline/optionspelling.h"

namespace Startup {

namespace {

constexpr const char *kProgram = "brindle";

void Write(FILE *stream, const QString &text)
{
#ifdef Q_OS_WIN
    // A program without a console (brindle.exe is one) writes into nothing unless its output
    // is redirected: then the text is shown in a message box, as Qt's own parser does.
    const HANDLE handle = ::GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || ::GetFileType(handle) == FILE_TYPE_UNKNOWN) {
        ::MessageBoxW(nullptr, reinterpret_cast<const wchar_t *>(text.utf16()), L"Brindle",
                      stream == stdout ? MB_OK | MB_ICONINFORMATION : MB_OK | MB_ICONERROR);
        return;
    }
#endif
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Qt's own options, which QGuiApplication, QApplication and the X11 platform take off the command
// line, with one dash or two. They are the program's too: taken with their values, and refused
// with the others' words when a value is missing, rather than left for Qt to pass over.
struct QtOption {
    const char *name;
    bool takesValue;
};
// clang-format off
constexpr QtOption kQtOptions[] = {
    {"platform", true}, {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"qwindowgeometry", true}, {"geometry", true}, {"qwindowtitle", true}, {"title", true},
    {"qwindowicon", true}, {"icon", true}, {"session", true}, {"style", true}, {"stylesheet", true},
    {"display", true}, {"name", true}, {"visual", true},
    {"reverse", false}, {"testability", false}, {"widgetcount", false}, {"nograb", false}, {"dograb", false},
};
// clang-format on

}  // namespace

Invocation ParseArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's options have one dash (-platform, -style), so one dash may begin a long option.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Norvale Firmware Customiser: changes the start-up settings of Norvale USB host-controller "
                       "firmware, page by page, and writes the modified file under a new name."));
    // Help and version by hand: Qt's help option would also offer --help-all, Qt's own options,
    // which are no business of this program's users.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the program's version and exit."));
    QList<QCommandLineOption> options{help, version};
    for (const QtOption &qt : kQtOptions) {
        QCommandLineOption option(QLatin1String(qt.name), QString(),
                                  qt.takesValue ? QStringLiteral("value") : QString());
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        options << option;
    }
    parser.addOptions(options);
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("A firmware file to open: a ROM image (.ROM), an upgrade file (.QUF) or a 60 KiB BLD image. "
                       "The wizard starts with it loaded, on \"File Summary\"."),
        QStringLiteral("[FILE]"));

    Invocation result;
    const bool parsed = parser.parse(arguments);
    // Asked for help or the version, the rest of the line does not matter.
    if (parser.isSet(help)) {
        // The usage line names the program as users type it, not the path it was started by.
        QString text = parser.helpText();
        text.replace(0, text.indexOf(QLatin1Char('\n')),
                     QStringLiteral("Usage: %1 [options] [FILE]").arg(QLatin1String(kProgram)));
        text += QStringLiteral("\nExit status: 0 the wizard ran, 1 no display to show it on, 2 a wrong command line.\n"
                               "See brindle(1) for more, and brindle-cli(1) for the command-line companion.\n");
        result.action = Invocation::Help;
        result.text = text;
        return result;
    }
    if (parser.isSet(version)) {
        result.action = Invocation::Version;
        result.text = QStringLiteral("%1 %2 (Norvale Firmware Customiser V%3)\n")
                          .arg(QLatin1String(kProgram), QLatin1String(BRINDLE_VERSION_STRING),
                               QLatin1String(BRINDLE_DISPLAY_VERSION));
        return result;
    }
    // Worded as brindle-cli words them.
    const auto usageError = [&result](const QString &message) {
        result.action = Invocation::UsageError;
        result.text = QStringLiteral("%1: %2; see '%1 --help'\n").arg(QLatin1String(kProgram), message);
        return result;
    };
    if (const std::optional<QString> unknown =
            OptionSpelling::Check(arguments, options, OptionSpelling::SingleDash::LongToo))
        return usageError(*unknown);
    if (!parsed)
        return usageError(OptionSpelling::AsMessage(parser.errorText()));
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return usageError(QStringLiteral("one FILE at most, %1 given").arg(files.size()));
    if (!files.isEmpty())
        result.file = files.constFirst();
    return result;
}

int Report(const Invocation &invocation)
{
    switch (invocation.action) {
    case Invocation::Help:
    case Invocation::Version: Write(stdout, invocation.text); return kExitOk;
    case Invocation::UsageError: Write(stderr, invocation.text); return kExitUsage;
    case Invocation::Run: break;
    }
    return kExitOk;
}

QString NoDisplayText(const QStringList &qtMessages)
{
    bool xcbFailed = false;
    bool waylandMissing = false;
    bool waylandFailed = false;
    QStringList otherPlugins;
    static const QRegularExpression pluginRx(
        QStringLiteral("Could not (?:find|load) the Qt platform plugin \"([^\"]+)\""));
    for (const QString &message : qtMessages) {
        if (message.contains(QLatin1String("could not connect to display"), Qt::CaseInsensitive)) {
            xcbFailed = true;
        } else if (message.contains(QLatin1String("wl_display"), Qt::CaseInsensitive)) {
            waylandFailed = true;
        } else if (const QRegularExpressionMatch m = pluginRx.match(message); m.hasMatch()) {
            if (m.captured(1) == QLatin1String("wayland"))
                waylandMissing = true;
            else if (m.captured(1) != QLatin1String("xcb") || !xcbFailed)
                otherPlugins.append(m.captured(1));
        }
    }

    QStringList reasons;
    if (xcbFailed) {
        const QString display = qEnvironmentVariable("DISPLAY");
        reasons.append(display.isEmpty() ? QStringLiteral("no X display (DISPLAY is not set)")
                                         : QStringLiteral("cannot connect to the X display DISPLAY=%1").arg(display));
    }
    if (waylandMissing)
        reasons.append(
            QStringLiteral("Qt's Wayland platform plugin is not installed (install the package qt6-wayland)"));
    else if (waylandFailed)
        reasons.append(QStringLiteral("cannot connect to the Wayland display WAYLAND_DISPLAY=%1")
                           .arg(qEnvironmentVariable("WAYLAND_DISPLAY")));
    if (!otherPlugins.isEmpty())
        reasons.append(QStringLiteral("the Qt platform plugin \"%1\" is not available")
                           .arg(otherPlugins.join(QLatin1String("\", \""))));
    if (reasons.isEmpty())
        reasons.append(QStringLiteral("no display: no Qt platform plugin could start"));
    return QStringLiteral("%1: cannot show the wizard: %2\n")
        .arg(QLatin1String(kProgram), reasons.join(QLatin1String("; ")));
}

namespace {

// A message held back; the context's strings are Qt's own static texts, valid for the program's life.
struct PendingMessage {
    QtMsgType type;
    const char *file;
    int line;
    const char *function;
    const char *category;
    QString text;
};

QtMessageHandler g_previousHandler = nullptr;
QList<PendingMessage> *g_pending = nullptr;

void GuardHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        QStringList texts;
        for (const PendingMessage &m : *g_pending)
            texts.append(m.text);
        Write(stderr, NoDisplayText(texts));
        std::_Exit(kExitNoDisplay);
    }
    // Kept until the application stands: on success they are passed on, on failure the one line
    // above replaces them.
    g_pending->append({type, context.file, context.line, context.function, context.category, message});
}

}  // namespace

DisplayGuard::DisplayGuard()
{
    g_pending = new QList<PendingMessage>;
    g_previousHandler = qInstallMessageHandler(GuardHandler);
}

DisplayGuard::~DisplayGuard()
{
    qInstallMessageHandler(g_previousHandler);
    for (const PendingMessage &m : *g_pending) {
        const QMessageLogContext context(m.file, m.line, m.function, m.category);
        if (g_previousHandler)
            g_previousHandler(m.type, context, m.text);
        else
            qt_message_output(m.type, context, m.text);
    }
    delete g_pending;
    g_pending = nullptr;
}

}  // namespace Startup
