// Steers a system call of the program's code from a test: replaces one entry
// of the test executable's import address table for the lifetime of an
// object. The product has no test seams; this is the only way in.
#ifndef SETUP_IMPORT_PATCH_H
#define SETUP_IMPORT_PATCH_H

// Fails the test at once: a hook could not be placed.
[[noreturn]] void ImportHookMissing(const char* dll, const char* function);

class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool applied() const { return slot_ != nullptr; }
    // The real function, for replacements that pass calls on.
    void* original() const { return original_; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

// The hook of one imported function by its replacement: patches on
// construction, restores on destruction; a replacement that passes calls
// on reaches the real function through Real().
//
//     BOOL WINAPI RefusingMove(LPCSTR from, LPCSTR to)
//     {
//         if (...) return FALSE;
//         return ImportHook<RefusingMove>::Real()(from, to);
//     }
//     ImportHook<RefusingMove> move("kernel32.dll", "MoveFileA");
//
// A hook that cannot be placed (the executable does not import the
// function) fails the test and ends its process at once: the real call
// must not happen in the replacement's stead (a real ExitWindowsEx ends
// every program of the prefix).
template <auto Replacement>
class ImportHook {
public:
    using Function = decltype(Replacement);

    ImportHook(const char* dll, const char* function) : patch_(dll, function, reinterpret_cast<void*>(Replacement))
    {
        if (!patch_.applied()) ImportHookMissing(dll, function);
        Original() = reinterpret_cast<Function>(patch_.original());
    }
    static Function Real() { return Original(); }

private:
    static Function& Original()
    {
        static Function original = nullptr;
        return original;
    }
    ImportPatch patch_;
};

#endif
