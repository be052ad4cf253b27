#pragma once

#include "optionspage.h"

// "Set Prompt": the six monitor options.
class CTabPrompt : public COptionsPage
{
    Q_OBJECT

public:
    explicit CTabPrompt(IWizardFrame *wizard);
};
