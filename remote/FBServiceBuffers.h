#pragma once
// The byte layouts of the Services API, built and read by hand so that no Firebird header is
// needed to build: the server address, the attach and start parameter buffers, and the reply
// of a query for the service's output. Plain functions of bytes, testable without a server.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The numbers of the Services API that the fetch uses (ibase.h names them the same).
namespace FBService {
inline constexpr char SpbVersion2 = 2;  // isc_spb_version (current)
inline constexpr char SpbUserName = 28;
inline constexpr char SpbPassword = 29;
inline constexpr char SpbConnectTimeout = 57;
inline constexpr char SpbRoleName = 60;
inline constexpr char ActionGetLog = 12;  // isc_action_svc_get_fb_log, also get_ib_log
inline constexpr char InfoEnd = 1;
inline constexpr char InfoTruncated = 2;
inline constexpr char InfoDataNotReady = 4;
inline constexpr char InfoToEof = 63;    // isc_info_svc_to_eof
inline constexpr char InfoTimeout = 64;  // isc_info_svc_timeout
}  // namespace FBService

// A server as the user names it: a host name, an IPv4 address or an IPv6 address in brackets,
// with an optional port after a slash: `db1`, `db1/3051`, `10.0.0.5`, `[::1]/3050`.
struct TFBServerAddress {
    std::string Host;  // without brackets
    std::optional<std::uint16_t> Port;
};

// Nothing when the text is no such address (empty, a bad port, an unclosed bracket, a colon
// outside brackets, blanks).
std::optional<TFBServerAddress> ParseServerAddress(std::string_view text);
// The address as the user writes it (brackets around IPv6, "/port" when given).
std::string FormatServerAddress(const TFBServerAddress& address);
// The service manager's name for isc_service_attach: "db1/3051:service_mgr".
std::string ServiceManagerName(const TFBServerAddress& address);

struct TFBCredentials {
    std::string User;
    std::string Password;
    std::string Role;  // empty: none
};

// The attach buffer: version 2, user, password, the role when there is one, the connect timeout.
// Throws std::length_error for a value longer than 255 bytes.
std::string ServiceAttachParameters(const TFBCredentials& credentials, int connectTimeoutSeconds);
// The start buffer of the get-log action.
std::string GetLogActionParameters();
// The send items of an output query: wait at most this many seconds for output.
std::string QueryTimeoutItems(int seconds);

// One reply to a query for the service's output (isc_info_svc_to_eof).
struct TFBOutputReply {
    std::string_view Data;  // the output bytes it carries; points into the reply buffer
    bool Finished = false;  // the service has no more output
};
// Reads a reply buffer; nothing when it is not laid out as a reply of that query.
std::optional<TFBOutputReply> ParseOutputReply(std::string_view reply);
