// Everything a connection needs to know before it connects, as one plain value: a
// further session to the same server is opened with a copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace data {

// Used by the next connect; assigning them does nothing by itself. Texts are UTF-8; the
// server gets them in Windows-1250, the session's code page.
struct ConnectionSettings {
    std::string Protocol;
    std::string HostName;
    std::int32_t Port = 0;
    std::string Database;
    std::string User;
    std::string Password;
    // Lines "name=value"; the value of "Codepage" becomes the session's character set.
    std::vector<std::string> Properties;

    // Settings the data module gives the window's session and the console program its own.
    // Seconds to wait for the server's address and its acceptance; 0: no limit.
    unsigned ConnectTimeout = 0;
    // Seconds to wait for any one answer of the server (its greeting included), or for a
    // request to leave; 0: no limit. Reaching the server then takes at most the smaller
    // limit, since the client library waits for both with one.
    unsigned AnswerTimeout = 0;
    // Requires an encrypted session and verifies the server's certificate and name against
    // TlsCaFile, or the system's certificate store when it is empty.
    bool RequireTls = false;
    std::string TlsCaFile;

    // The client library's file names, tried in order on the first connect (and on every
    // later one until a file has loaded); empty: ClientLibrary::defaultNames().
    std::vector<std::string> LibraryNames;

    // Statements a session would keep unanswered at most, which its TCP connection asks
    // the system a receive buffer for (Connection::mostStatementsInFlight); 0: the most
    // the program ever keeps (kMostStatementsInFlight).
    std::size_t StatementsInFlightWanted = 0;
};

}  // namespace data
