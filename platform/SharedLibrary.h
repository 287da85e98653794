// A shared library loaded by file name at run time, closed when its owner goes away.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class SharedLibrary {
public:
    // Tries each name in order and keeps the first that loads; nullopt when none does.
    // `failures` collects the loader's reason for each name that did not load. On
    // Windows a bare name is taken from the program's own folder only (by full path),
    // never from the current folder or PATH; what the DLL needs in turn comes from its
    // own folder and System32.
    static std::optional<SharedLibrary> loadFirst(const std::vector<std::string>& names,
                                                  std::string* failures = nullptr);

    SharedLibrary(SharedLibrary&&) noexcept = default;
    SharedLibrary& operator=(SharedLibrary&&) noexcept = default;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    ~SharedLibrary() = default;

    // The address of an exported symbol, or nullptr when the library has none of that name.
    void* symbol(const char* name) const noexcept;
    const std::string& fileName() const noexcept { return fileName_; }
    // The loader hands out the same handle for every load of one file.
    const void* nativeHandle() const noexcept { return handle_.get(); }

private:
    struct Closer {
        void operator()(void* handle) const noexcept;
    };
    SharedLibrary(void* handle, std::string fileName);
    // The system's handle for `name`, or nullptr with the loader's reason.
    static void* open(const std::string& name, std::string& reason);

    std::unique_ptr<void, Closer> handle_;
    std::string fileName_;
};

// Windows: from here on the loader looks for DLLs (those loaded by bare name by any
// code in the process, the client library's login plugins among them) only in the
// program's folder and System32: not in the current folder, not on PATH. Called first
// thing in main; false when the system refused. Elsewhere it does nothing.
bool restrictLibrarySearch();

// Windows: removes from the environment the variables that make the client library load
// code of someone else's choosing: LIBMYSQL_PLUGINS (plugins it loads as it starts) and
// MARIADB_PLUGIN_DIR (the folder those and login methods come from). Called first thing
// in main, before any thread exists that could read the environment meanwhile. Elsewhere
// it does nothing: there the library is the system's, read as every client of it reads it.
void forgetLibraryLoadingVariables();

// Where loadFirst looks for a bare name: the program's folder on Windows; empty where
// the system's loader searches its own folders.
std::filesystem::path folderOfBareLibraryNames();

// The folder holding the running program's file.
std::filesystem::path programFolder();

}  // namespace platform
