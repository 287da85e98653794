// The MySQL client library, loaded at run time and shared by every open connection.
#pragma once

#include "platform/SharedLibrary.h"

#include <memory>
#include <string>
#include <vector>

namespace data {

struct MysqlApi;  // the client functions this program calls; see MysqlApi.h

class ClientLibrary {
public:
    // The file names tried in order: "libmariadb.so.3"; a Windows build tries
    // "libmysql41.dll" then "libmysql.dll".
    static const std::vector<std::string>& defaultNames();

    // Loads the first of `names` that loads and initialises it (safe from any thread); when that file is already
    // in use, returns the object that owns it, so that it is initialised and ended once.
    // Throws ProgramError when none of the names can be used, or the one that loads lacks
    // a function or does not start.
    static std::shared_ptr<const ClientLibrary> acquire(const std::vector<std::string>& names);

    // Starts the client library's state for the calling thread, once per thread, and
    // ends it when the thread ends. Every thread that opens a session calls it first.
    static void useInThisThread(const std::shared_ptr<const ClientLibrary>& library);

    ~ClientLibrary();
    ClientLibrary(const ClientLibrary&) = delete;
    ClientLibrary& operator=(const ClientLibrary&) = delete;

    const MysqlApi& api() const noexcept { return *api_; }
    const std::string& fileName() const noexcept { return library_.fileName(); }
    const void* nativeHandle() const noexcept { return library_.nativeHandle(); }

private:
    ClientLibrary(platform::SharedLibrary library, std::unique_ptr<MysqlApi> api);

    platform::SharedLibrary library_;
    std::unique_ptr<MysqlApi> api_;
};

}  // namespace data
