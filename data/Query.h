// A statement object bound to the connection: a statement text and, once opened, its rows.
#pragma once

#include "data/Connection.h"

#include <optional>
#include <string>

namespace data {

class Query {
public:
    explicit Query(Connection& connection) : connection_(connection) {}
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // Replaces the statement text whole. Of a text with several statements, only the
    // first is ever sent (see firstStatement).
    void setSql(std::string text);
    const std::string& sql() const noexcept { return sql_; }

    // Sends the statement and keeps its complete result on the client, the cursor on
    // the first row. Throws DatabaseError; the object is then closed.
    void open();
    void close() noexcept;

    // True when not open or when the cursor has passed the last row.
    bool eof() const noexcept { return !hasRow_; }
    // The current row's first column as text.
    std::string firstColumnText() const;
    void next();

private:
    std::string statementToSend() const;

    Connection& connection_;
    std::string sql_;
    std::optional<StoredResult> result_;
    bool hasRow_ = false;
};

}  // namespace data
