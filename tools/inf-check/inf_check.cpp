// inf-check: reads a SETUP.INF as the setup program does and reports, in the
// form compilers use, what the program would silently do with a mistake.
// Usage: inf-check [--medium DIR] SETUP.INF
// Exit status 1 when there is an error, 2 on wrong usage.
#include <cstring>
#include <iostream>
#include <string>

#include "script_rules.h"

int main(int argc, char** argv)
{
    std::string medium, script;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--medium") == 0 && i + 1 < argc) medium = argv[++i];
        else if (script.empty() && argv[i][0] != '-') script = argv[i];
        else script.clear(), i = argc;
    }
    if (script.empty()) {
        std::cerr << "usage: inf-check [--medium DIR] SETUP.INF\n";
        return 2;
    }
    ScriptModel model;
    CheckScript(script, medium, model);
    return PrintFindings(model, script) > 0 ? 1 : 0;
}
