#include "shell/switches.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The next word of the command line, without its quotation marks (a quoted
// part may hold blanks); p moves past it. False when the word does not fit.
bool NextWord(const char*& p, FixedText<MAX_PATH + 8>& word)
{
    while (IsBlank(*p)) ++p;
    std::size_t length = 0;
    bool fits = true;
    for (bool quoted = false; *p != '\0' && (quoted || !IsBlank(*p)); ++p) {
        if (*p == '"') quoted = !quoted;
        else if (length + 1 < word.Capacity) word[length++] = *p;
        else fits = false;
    }
    word[length] = '\0';
    return fits;
}

// The switches, in upper case: the first four are whole words, the last
// two take the rest of the word as their value.
const char* const Names[] = {"/S", "/RESTART", "/MOUSE=PS2", "/MOUSE=SERIAL", "/DIR=", "/LOG="};
enum { Unattended, Restart, Ps2, Serial, Dir, Log, Unknown };

// Which switch word is, and where its value begins.
int SwitchOf(const char* word, const char*& value)
{
    for (int k = 0; k < Unknown; ++k) {
        if (k < Dir && lstrcmpiA(word, Names[k]) == 0) return k;
        // "/DIR=" and "/LOG=", in any case, and something after them.
        const char* name = Names[k];
        value = word;
        while (*name != '\0' && (*value == *name || (*value ^ 0x20) == *name)) ++name, ++value;
        if (k >= Dir && *name == '\0' && *value != '\0') return k;
    }
    return Unknown;
}

}  // namespace

bool ReadSwitches(const char* commandLine, Switches& switches)
{
    switches = Switches{};
    switches.mouse = -1;
    FixedText<MAX_PATH + 8> word;
    const char* p = commandLine;
    for (bool first = true; *p != '\0'; first = false) {
        bool whole = NextWord(p, word);
        if (word.empty() && *p == '\0') break;  // blanks at the end
        const char* value = nullptr;
        int which = whole ? SwitchOf(word, value) : Unknown;
        if (which == Unattended && first) switches.unattended = true;
        else if (which == Log) whole = switches.log.assignWhole(value);
        else if (!switches.unattended) continue;  // the wizard takes only /LOG
        else if (which == Restart) switches.restart = true;
        else if (which == Ps2 || which == Serial) switches.mouse = which - Ps2;
        else if (which == Dir) whole = switches.dir.assignWhole(value);
        else whole = false;
        if (!whole && switches.unattended) return false;
    }
    return true;
}
