#include "entry/switches.h"

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

// Whether word begins with name (upper case), in any case; value is what
// follows it.
bool Matches(const char* word, const char* name, const char*& value)
{
    for (; *name != '\0'; ++name, ++word) {
        char c = *word >= 'a' && *word <= 'z' ? static_cast<char>(*word - 'a' + 'A') : *word;
        if (c != *name) return false;
    }
    value = word;
    return true;
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
        const char* value;
        if (word.empty() && *p == '\0') break;  // blanks at the end
        if (whole && first && Matches(word, "/S", value) && *value == '\0') switches.unattended = true;
        else if (whole && Matches(word, "/LOG=", value) && *value != '\0') whole = switches.log.assignWhole(value);
        else if (!switches.unattended) continue;  // the wizard takes only /LOG
        else if (whole && Matches(word, "/DIR=", value) && *value != '\0') whole = switches.dir.assignWhole(value);
        else if (whole && Matches(word, "/MOUSE=", value))
            whole = (switches.mouse = lstrcmpiA(value, "PS2") == 0 ? 0 : lstrcmpiA(value, "SERIAL") == 0 ? 1 : -1) >= 0;
        else if (whole && Matches(word, "/RESTART", value) && *value == '\0') switches.restart = true;
        else whole = false;
        if (!whole && switches.unattended) return false;
    }
    return true;
}
