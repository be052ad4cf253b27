#pragma once

#include "optionspage.h"

// "Set Init": the initial input mode, command mode and LED flash at power-on.
class CTabInit : public COptionsPage
{
    Q_OBJECT

public:
    explicit CTabInit(IWizardFrame *wizard);
};
