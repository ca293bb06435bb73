#include "uninstall/outcome.h"

Outcome* Result = nullptr;

void Leave(const char* what, const char* why)
{
    Result->left.append("- ").append(what).append(": ").append(why).append("\n");
}
