// The greeting and the authentication switch of the MySQL protocol, on plain POSIX sockets.
#include "tests/support/FakeLoginServer.h"

#include "tests/support/RelaySockets.h"

#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace testing_support {

namespace {

constexpr std::uint16_t kServerPort = 3306;
// Long enough for a client under Wine on a loaded machine; a session that says nothing
// for this long is dropped.
constexpr int kSilenceMilliseconds = 60000;

// Protocol 4.1 with plugin authentication, and what the client asks for besides.
constexpr std::uint32_t kCapabilities = 0x00000001    // long password
                                      | 0x00000008    // connect with a database
                                      | 0x00000200    // protocol 4.1
                                      | 0x00002000    // transactions
                                      | 0x00008000    // secure connection
                                      | 0x00010000    // multiple statements
                                      | 0x00020000    // multiple results
                                      | 0x00080000;  // plugin authentication

std::string packet(std::uint8_t sequence, const std::string& payload)
{
    std::string out;
    out += static_cast<char>(payload.size() & 0xFF);
    out += static_cast<char>((payload.size() >> 8) & 0xFF);
    out += static_cast<char>((payload.size() >> 16) & 0xFF);
    out += static_cast<char>(sequence);
    return out + payload;
}

std::string greeting()
{
    std::string p;
    p += '\x0a';                                  // protocol version
    p += std::string("5.5.5-10.11.0-fake") + '\0';
    p += std::string("\x01\x00\x00\x00", 4);      // connection id
    p += "abcdefgh";                              // scramble, first part
    p += '\0';
    p += static_cast<char>(kCapabilities & 0xFF);
    p += static_cast<char>((kCapabilities >> 8) & 0xFF);
    p += '\x21';                                  // utf8_general_ci
    p += std::string("\x02\x00", 2);              // autocommit
    p += static_cast<char>((kCapabilities >> 16) & 0xFF);
    p += static_cast<char>((kCapabilities >> 24) & 0xFF);
    p += '\x15';                                  // scramble length, 21
    p += std::string(10, '\0');
    p += std::string("ijklmnopqrst") + '\0';      // scramble, second part
    p += std::string("mysql_native_password") + '\0';
    return packet(0, p);
}

// Reads one packet; false when the client closed, went silent or sent garbage.
bool readPacket(int client, std::uint8_t& sequence)
{
    std::array<unsigned char, 4> header{};
    std::size_t have = 0;
    std::size_t length = 0;
    bool headerDone = false;
    std::array<char, 4096> buffer{};
    while (!headerDone || have < length) {
        pollfd ready{client, POLLIN, 0};
        if (poll(&ready, 1, kSilenceMilliseconds) <= 0)
            return false;
        if (!headerDone) {
            const ssize_t got = read(client, header.data() + have, header.size() - have);
            if (got <= 0)
                return false;
            have += static_cast<std::size_t>(got);
            if (have == header.size()) {
                headerDone = true;
                length = header[0] | (header[1] << 8) | (header[2] << 16);
                sequence = header[3];
                have = 0;
            }
        } else {
            const ssize_t got = read(client, buffer.data(), std::min(buffer.size(), length - have));
            if (got <= 0)
                return false;
            have += static_cast<std::size_t>(got);
        }
    }
    return true;
}

}  // namespace

FakeLoginServer::FakeLoginServer(std::string address, std::string method)
    : address_(std::move(address)), method_(std::move(method)), listener_(address_, kServerPort, 4)
{
    if (!listener_.listening())
        ADD_FAILURE() << "the fake server cannot listen on " << address_ << ":" << kServerPort;
    thread_ = std::thread([this] { serve(); });
}

FakeLoginServer::~FakeLoginServer()
{
    listener_.stop();
    thread_.join();
}

void FakeLoginServer::serve()
{
    for (int client = listener_.next(); client >= 0; client = listener_.next()) {
        session(client);
        close(client);
    }
}

void FakeLoginServer::session(int client)
{
    std::uint8_t sequence = 0;
    if (!writeAll(client, greeting()) || !readPacket(client, sequence))
        return;
    // 0xFE, the method's name, and the scramble it should use.
    const std::string request = std::string("\xfe") + method_ + '\0' + "abcdefghijklmnopqrst" + '\0';
    if (!writeAll(client, packet(static_cast<std::uint8_t>(sequence + 1), request)))
        return;
    ++switchesSent_;
}

}  // namespace testing_support
