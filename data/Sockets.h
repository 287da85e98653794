// The system's socket functions (getaddrinfo, getpeername, inet_ntop), the same calls on
// Linux and Windows from different headers.
#pragma once

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#endif
