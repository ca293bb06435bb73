// Steers a system call of the program's code from a test: replaces one entry
// of the test executable's import address table for the lifetime of the
// object. The product has no test seams; this is the only way in.
#ifndef SETUP_IMPORT_PATCH_H
#define SETUP_IMPORT_PATCH_H

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

#endif
