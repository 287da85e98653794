// Whether this process is the one running window program of the user's login session.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Claims `name` (ASCII letters, digits and '-') for this user's login session for as long
// as the object lives; a process that claims it while another holds it finds it taken,
// until the holder ends, however it ends. Where the claim cannot be made at all (no place
// for it), the program runs as if it held it: refusing to start would be worse.
class InstanceClaim {
public:
    explicit InstanceClaim(const std::string& name);
    ~InstanceClaim();
    InstanceClaim(const InstanceClaim&) = delete;
    InstanceClaim& operator=(const InstanceClaim&) = delete;

    // False when another process of the same user and login session holds the claim.
    bool held() const noexcept { return held_; }

private:
    bool held_ = true;
    // The system's object that carries the claim: a mutex handle on Windows, a locked
    // file's descriptor elsewhere; kNone when there is none.
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t native_ = kNone;
};

}  // namespace platform
