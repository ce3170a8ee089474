#pragma once
// The image library's reader warnings, asked through the prompter.

#include "format_registry.h"

class TPrompter;

// An OK box, or an OK/Cancel box answering true for OK, with the library's caption and text.
// Off the window thread nothing is shown: an OK box answers true, an OK/Cancel box false.
TPGWarningBox PrompterWarningBox(TPrompter& prompter);
