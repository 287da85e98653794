// What a run asks a server about itself before it lists its databases; the question
// leaves with the connect, so its answer costs no round trip of its own.
#pragma once

#include <string>

namespace data {
class Connection;
}

namespace update {

struct ServerProbe {
    // The server's own account of who it is (its host name, port and data folder) as one
    // text: two sessions with the same text reached the same server, whatever address
    // each was given.
    std::string identity;
};

// The probe's statement (UTF-8).
std::string probeStatement();

// The server's answers to the probe: taken from those waiting when the connect sent it,
// asked now otherwise. Throws data::Error as the session does.
ServerProbe readProbe(data::Connection& session);

}  // namespace update
