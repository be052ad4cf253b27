#pragma once

// Dialog services that answer every question with No, cancel every file dialog and keep no
// records: for benchmarks and tools, where nothing may block.

#include "controls/dialogservices.h"
#include "uirecorder.h"

class SilentServices : public UiRecorderFor<IDialogServices>
{
public:
    SilentServices() : UiRecorderFor(Silent) { answer = false; }
};
