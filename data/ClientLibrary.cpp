// Finding the client library's file and its functions.
#include "data/ClientLibrary.h"

#include "data/DatabaseError.h"
#include "data/MysqlApi.h"
#include "platform/FilePath.h"

#include <mutex>
#include <optional>

#if defined(_WIN32)
#include <pthread.h>
#endif

namespace data {

namespace {

template <typename Function>
void resolve(const platform::SharedLibrary& library, const char* name, Function& target)
{
    target = reinterpret_cast<Function>(library.symbol(name));
    if (!target)
        throw ProgramError("Klientská knihovna " + library.fileName() + " nemá funkci " + name);
}

std::unique_ptr<MysqlApi> resolveApi(const platform::SharedLibrary& library)
{
    auto api = std::make_unique<MysqlApi>();
    // mysql_library_init and mysql_library_end are macros over these two names.
    resolve(library, "mysql_server_init", api->server_init);
    resolve(library, "mysql_server_end", api->server_end);
    resolve(library, "mysql_thread_init", api->thread_init);
    resolve(library, "mysql_thread_end", api->thread_end);
    resolve(library, "mysql_init", api->init);
    resolve(library, "mysql_options", api->options);
    resolve(library, "mysql_real_connect", api->real_connect);
    resolve(library, "mysql_close", api->close);
    resolve(library, "mysql_real_query", api->real_query);
    resolve(library, "mysql_send_query", api->send_query);
    resolve(library, "mysql_read_query_result", api->read_query_result);
    resolve(library, "mysql_store_result", api->store_result);
    resolve(library, "mysql_free_result", api->free_result);
    resolve(library, "mysql_fetch_row", api->fetch_row);
    resolve(library, "mysql_fetch_lengths", api->fetch_lengths);
    resolve(library, "mysql_num_fields", api->num_fields);
    resolve(library, "mysql_get_socket", api->get_socket);
    resolve(library, "mysql_errno", api->error_number);
    resolve(library, "mysql_error", api->error_text);
    return api;
}

// Libraries in use; a library is ended and unloaded when its last user goes. Sessions
// of the console program connect from several threads at once, so the list and the
// library's start are guarded by one lock.
std::mutex& registryLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<std::weak_ptr<const ClientLibrary>>& librariesInUse()
{
    static std::vector<std::weak_ptr<const ClientLibrary>> libraries;
    return libraries;
}

std::shared_ptr<const ClientLibrary> libraryInUse(const platform::SharedLibrary& loaded)
{
    for (const std::weak_ptr<const ClientLibrary>& entry : librariesInUse()) {
        std::shared_ptr<const ClientLibrary> library = entry.lock();
        if (library && library->nativeHandle() == loaded.nativeHandle())
            return library;
    }
    return nullptr;
}

// The library this thread has started its client state with; its end runs when the
// thread ends (for the main thread, at exit, before the library itself is ended).
struct ThreadRegistration {
    std::shared_ptr<const ClientLibrary> library;
    ~ThreadRegistration()
    {
        if (library)
            library->api().thread_end();
    }
};

}  // namespace

const std::vector<std::string>& ClientLibrary::defaultNames()
{
#if defined(_WIN32)
    static const std::vector<std::string> names = {"libmysql41.dll", "libmysql.dll"};
#else
    // Only MariaDB's client: the options this program sets are given by that library's
    // numbers, which another vendor's client assigns to other options.
    static const std::vector<std::string> names = {"libmariadb.so.3"};
#endif
    return names;
}

std::shared_ptr<const ClientLibrary> ClientLibrary::acquire(const std::vector<std::string>& names)
{
    const std::lock_guard<std::mutex> guard(registryLock());
    std::string failures;
    std::optional<platform::SharedLibrary> loaded = platform::SharedLibrary::loadFirst(names, &failures);
    if (!loaded)
        throw ClientLibraryMissing("Klientskou knihovnu MySQL nejde načíst: " +
                                       (failures.empty() ? std::string("není žádný název souboru") : failures),
                                   {names, platform::utf8FromPath(platform::folderOfBareLibraryNames())});

    if (std::shared_ptr<const ClientLibrary> library = libraryInUse(*loaded))
        return library;  // `loaded` only raised the loader's count; it drops it again

    std::unique_ptr<MysqlApi> api = resolveApi(*loaded);
    if (api->server_init(0, nullptr, nullptr) != 0)
        throw ProgramError("Klientská knihovna MySQL " + loaded->fileName() + " se nespustila");

    std::shared_ptr<const ClientLibrary> library(new ClientLibrary(std::move(*loaded), std::move(api)));
    std::erase_if(librariesInUse(), [](const auto& entry) { return entry.expired(); });
    librariesInUse().push_back(library);
    return library;
}

ClientLibrary::ClientLibrary(platform::SharedLibrary library, std::unique_ptr<MysqlApi> api)
    : library_(std::move(library)), api_(std::move(api))
{
}

namespace {

// The calling thread's registration, made on first use and ended with the thread.
ThreadRegistration& thisThreadsRegistration()
{
#if defined(_WIN32)
    // MinGW frees a thread_local object's storage and runs its destructor in no fixed
    // order when a thread ends, so the destructor could read freed memory (a crash at the
    // end of a session thread in about half the runs with several sessions). Here the
    // registration lives on the heap under a thread key, whose destructor is handed the
    // object itself. The main thread's is never ended: Windows frees it all at exit.
    static const pthread_key_t key = [] {
        pthread_key_t made{};
        if (pthread_key_create(&made, [](void* value) { delete static_cast<ThreadRegistration*>(value); }) != 0)
            throw ProgramError("Pro vlákno nejde založit klíč");
        return made;
    }();
    auto* registration = static_cast<ThreadRegistration*>(pthread_getspecific(key));
    if (!registration) {
        registration = new ThreadRegistration;
        pthread_setspecific(key, registration);
    }
    return *registration;
#else
    thread_local ThreadRegistration registration;
    return registration;
#endif
}

}  // namespace

void ClientLibrary::useInThisThread(const std::shared_ptr<const ClientLibrary>& library)
{
    ThreadRegistration& registration = thisThreadsRegistration();
    if (registration.library == library)
        return;
    if (registration.library)
        registration.library->api().thread_end();
    registration.library = library;
    library->api().thread_init();
}

ClientLibrary::~ClientLibrary()
{
    api_->server_end();
}

}  // namespace data
