// The name look-up in a thread of its own, so that waiting for it can be bounded.
#include "data/NameLookup.h"

#include "data/DatabaseError.h"
#include "data/HostText.h"
#include "data/Sockets.h"

#include <chrono>
#include <future>
#include <memory>
#include <thread>

namespace data {

// The client library's connect timeout does not cover finding the name's address, which
// can take half a minute where the name servers do not answer. The look-up runs in a
// thread of its own that is left to finish alone when the time is up; the client
// library then looks the name up again, from the system's cache where it has one.
void waitForAddressOf(const std::string& host, const std::string& shownName, unsigned seconds)
{
    if (seconds == 0 || isAddressLiteral(host))
        return;
    auto found = std::make_shared<std::promise<void>>();
    std::future<void> done = found->get_future();
    std::thread([host, found] {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* addresses = nullptr;
        if (getaddrinfo(host.c_str(), nullptr, &hints, &addresses) == 0)
            freeaddrinfo(addresses);
        found->set_value();
    }).detach();
    if (done.wait_for(std::chrono::seconds(seconds)) == std::future_status::timeout)
        throw ProgramError("Adresu serveru \"" + shownName + "\" se nepodařilo zjistit do " + std::to_string(seconds) +
                           " s");
}

}  // namespace data
