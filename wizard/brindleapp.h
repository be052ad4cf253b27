#pragma once

class IDialogServices;

// The application: runs the wizard modally and ends when it closes.
class CBrindleApp
{
public:
    // Runs the wizard; returns the process's exit code.
    static int InitInstance(IDialogServices *services = nullptr);
};
