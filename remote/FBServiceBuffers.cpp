#include "FBServiceBuffers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <stdexcept>

namespace {

void AddLittleEndian(std::string& buffer, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        buffer += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t ReadLittleEndian16(std::string_view bytes)
{
    return static_cast<std::uint8_t>(bytes[0]) | (static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[1])) << 8);
}

// A version 2 parameter buffer holds strings of at most 255 bytes behind a one-byte length.
void AddString(std::string& buffer, char item, const std::string& value)
{
    if (value.size() > 255)
        throw std::length_error("A user name, password or role may have at most 255 bytes.");
    buffer += item;
    buffer += static_cast<char>(value.size());
    buffer += value;
}

std::optional<std::uint16_t> ParsePort(std::string_view text)
{
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

bool IsPlainHost(std::string_view host)
{
    return !host.empty() && std::none_of(host.begin(), host.end(), [](char c) {
        return c == ':' || c == '/' || c == '[' || c == ']' || static_cast<unsigned char>(c) <= ' ';
    });
}

}  // namespace

std::optional<TFBServerAddress> ParseServerAddress(std::string_view text)
{
    TFBServerAddress address;
    std::string_view rest;
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        const std::string_view inside = text.substr(1, close - 1);
        // An IPv6 address, perhaps with a zone: "fe80::1%eth0".
        const bool addressCharacters = std::all_of(inside.begin(), inside.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '.' || c == '%';
        });
        if (inside.find(':') == std::string_view::npos || !addressCharacters)
            return std::nullopt;
        address.Host = std::string(inside);
        rest = text.substr(close + 1);
    } else {
        const std::size_t slash = text.find('/');
        const std::string_view host = text.substr(0, slash);
        if (!IsPlainHost(host))
            return std::nullopt;
        address.Host = std::string(host);
        rest = slash == std::string_view::npos ? std::string_view() : text.substr(slash);
    }
    if (rest.empty())
        return address;
    if (!rest.starts_with('/') || !(address.Port = ParsePort(rest.substr(1))))
        return std::nullopt;
    return address;
}

std::string FormatServerAddress(const TFBServerAddress& address)
{
    const bool ipv6 = address.Host.find(':') != std::string::npos;
    std::string text = ipv6 ? "[" + address.Host + "]" : address.Host;
    if (address.Port)
        text += "/" + std::to_string(*address.Port);
    return text;
}

std::string ServiceManagerName(const TFBServerAddress& address)
{
    return FormatServerAddress(address) + ":service_mgr";
}

std::string ServiceAttachParameters(const TFBCredentials& credentials, int connectTimeoutSeconds)
{
    std::string buffer{FBService::SpbVersion2, FBService::SpbVersion2};
    AddString(buffer, FBService::SpbUserName, credentials.User);
    AddString(buffer, FBService::SpbPassword, credentials.Password);
    if (!credentials.Role.empty())
        AddString(buffer, FBService::SpbRoleName, credentials.Role);
    if (connectTimeoutSeconds > 0) {
        // Numbers in a version 2 buffer carry a one-byte length too.
        buffer += FBService::SpbConnectTimeout;
        buffer += static_cast<char>(4);
        AddLittleEndian(buffer, static_cast<std::uint32_t>(connectTimeoutSeconds), 4);
    }
    return buffer;
}

std::string GetLogActionParameters()
{
    return std::string(1, FBService::ActionGetLog);
}

std::string QueryTimeoutItems(int seconds)
{
    std::string items(1, FBService::InfoTimeout);
    AddLittleEndian(items, 4, 2);
    AddLittleEndian(items, static_cast<std::uint32_t>(seconds), 4);
    return items;
}

std::optional<TFBOutputReply> ParseOutputReply(std::string_view reply)
{
    TFBOutputReply result;
    bool waiting = false;  // truncated, timed out or not ready: more may follow
    std::size_t at = 0;
    while (at < reply.size() && reply[at] != FBService::InfoEnd) {
        const char item = reply[at++];
        if (item == FBService::InfoToEof) {
            if (at + 2 > reply.size())
                return std::nullopt;
            const std::uint32_t length = ReadLittleEndian16(reply.substr(at));
            at += 2;
            if (at + length > reply.size())
                return std::nullopt;
            result.Data = reply.substr(at, length);
            at += length;
        } else if (item == FBService::InfoTruncated || item == FBService::InfoTimeout ||
                   item == FBService::InfoDataNotReady) {
            waiting = true;
        } else {
            return std::nullopt;
        }
    }
    if (at >= reply.size())
        return std::nullopt;  // no end mark: the buffer was too small for the reply
    // Nothing came and nothing is said to be coming: the output is over.
    result.Finished = result.Data.empty() && !waiting;
    return result;
}
