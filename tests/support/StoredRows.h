// The rows of a result the client library holds, as strings; shared by the tests' sessions.
#pragma once

#include "tests/support/AdminSession.h"

#include <mysql.h>

namespace testing_support {

// NULL becomes the text "NULL"; `result` stays the caller's.
inline Rows storedRows(MYSQL_RES* result)
{
    Rows rows;
    const unsigned columns = mysql_num_fields(result);
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
        const unsigned long* lengths = mysql_fetch_lengths(result);
        std::vector<std::string>& values = rows.emplace_back();
        for (unsigned i = 0; i < columns; ++i)
            values.emplace_back(row[i] ? std::string(row[i], lengths[i]) : std::string("NULL"));
    }
    return rows;
}

}  // namespace testing_support
