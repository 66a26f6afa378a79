#include "support/ui/ScriptedPrompts.h"
