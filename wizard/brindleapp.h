#pragma once

// Qt
#include <QString>

class IDialogServices;

// The application: runs the wizard modally and ends when it closes.
class CBrindleApp
{
public:
    // Runs the wizard; returns the process's exit code. With `file`, the wizard opens it as
    // soon as its window shows, as if the user had typed it on "File Open" and pressed Next.
    static int InitInstance(IDialogServices *services = nullptr, const QString &file = QString());
};
