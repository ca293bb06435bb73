#include "undo/outcome.h"

#include "shell/setup_log.h"

Outcome* Result = nullptr;

namespace {
Outcome Collected;
}

Outcome* FreshOutcome()
{
    Collected.done.clear();
    Collected.left.clear();
    Collected.waiting.clear();
    Collected.renameLines.clear();
    Collected.filesRemoved = Collected.originalsBack = Collected.valuesRestored = Collected.keysRemoved = Collected.othersWaiting = 0;
    return &Collected;
}

void Leave(const char* what, const char* why)
{
    Result->left.append("- ").append(what).append(": ").append(why).append("\n");
    LogLine("left %s: %s", what, why);
}
