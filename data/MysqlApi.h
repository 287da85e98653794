// The client library's functions as pointers found at run time. Included only by the
// data layer's sources, so that <mysql.h> stays out of every public header.
#pragma once

#include <mysql.h>

namespace data {

struct MysqlApi {
    decltype(&::mysql_server_init) server_init = nullptr;
    decltype(&::mysql_server_end) server_end = nullptr;
    decltype(&::mysql_thread_init) thread_init = nullptr;
    decltype(&::mysql_thread_end) thread_end = nullptr;
    decltype(&::mysql_init) init = nullptr;
    decltype(&::mysql_options) options = nullptr;
    decltype(&::mysql_real_connect) real_connect = nullptr;
    decltype(&::mysql_close) close = nullptr;
    decltype(&::mysql_real_query) real_query = nullptr;
    decltype(&::mysql_send_query) send_query = nullptr;
    decltype(&::mysql_read_query_result) read_query_result = nullptr;
    decltype(&::mysql_store_result) store_result = nullptr;
    decltype(&::mysql_free_result) free_result = nullptr;
    decltype(&::mysql_fetch_row) fetch_row = nullptr;
    decltype(&::mysql_fetch_lengths) fetch_lengths = nullptr;
    decltype(&::mysql_num_fields) num_fields = nullptr;
    decltype(&::mysql_get_socket) get_socket = nullptr;
    decltype(&::mysql_errno) error_number = nullptr;
    decltype(&::mysql_error) error_text = nullptr;
};

}  // namespace data
