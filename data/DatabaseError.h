// The errors raised by the database layer: the server's or client library's, which carry
// their number, and the program's own, which have none.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace data {

// Where the client library was looked for when no file of it could be loaded: the file
// names tried, in order, and the folder they were looked for in (UTF-8), empty where the
// system's loader searches its own folders.
struct LibraryLookup {
    std::vector<std::string> names;
    std::string folder;
};

// A failure as callers keep and report it: the server's or client library's number,
// none for a failure the program found itself, and the text (UTF-8). `missingLibrary`
// is set when the client library could not be loaded at all, a cause apart that the
// window names in its own words instead of blaming the connection.
struct Failure {
    std::optional<unsigned> number;
    std::string text;
    std::optional<LibraryLookup> missingLibrary = std::nullopt;
};

// Anything the database layer raises.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    std::string text() const { return what(); }
    virtual Failure failure() const { return {std::nullopt, text()}; }
};

// A failure this program found itself, before or instead of the client library: no
// session open, a host text that no host has, a protocol it does not speak, a client
// library that does not work.
class ProgramError : public Error {
public:
    using Error::Error;
};

// No file of the client library could be loaded (none is there, or none loads).
class ClientLibraryMissing : public ProgramError {
public:
    ClientLibraryMissing(const std::string& text, LibraryLookup lookup)
        : ProgramError(text), lookup_(std::move(lookup))
    {
    }
    Failure failure() const override { return {std::nullopt, text(), lookup_}; }

private:
    LibraryLookup lookup_;
};

// A failure the client library or the server reported, with its error number.
class DatabaseError : public Error {
public:
    DatabaseError(unsigned number, const std::string& text);

    unsigned number() const noexcept { return number_; }
    Failure failure() const override { return {number_, text()}; }

    // True when the failure means the session itself is gone (the server went away or
    // shut down, the connection was killed), as opposed to one statement being refused.
    bool sessionLost() const noexcept;

private:
    unsigned number_;
};

}  // namespace data
