#include "tabinit.h"

#include "resources/resourceids.h"

CTabInit::CTabInit(IWizardFrame *wizard)
    : COptionsPage(wizard, IDD_TAB_INIT, "Choose Initialisation Options",
                   "Modify the initial command mode, input mode and startup behaviour of the LEDs.")
{}
