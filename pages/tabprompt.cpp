#include "tabprompt.h"

#include "resources/resourceids.h"

CTabPrompt::CTabPrompt(IWizardFrame *wizard)
    : COptionsPage(wizard, IDD_TAB_PROMPT, "Choose Firmware Options",
                   "Modify the behaviour of the firmware. Instructs the Monitor to not display prompts, device "
                   "detected messages and version information. Allows data mode and firmware upgrades to be "
                   "disabled.")
{}
