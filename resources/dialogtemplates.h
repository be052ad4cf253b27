#pragma once

#include "templates/controltemplate.h"

// The program's templates: 100 About box, 102 wizard, 136 to 144 pages; null for another id.
const DialogTemplate *FindDialogTemplate(int id);
