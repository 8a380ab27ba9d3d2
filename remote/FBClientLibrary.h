#pragma once
// Firebird's client library (libfbclient, fbclient.dll), loaded when a server's log is first
// asked for, so that the viewer and kslog start and work on files without it. Only the few
// Services API entry points the log fetch needs are looked up.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#define KSLOG_FB_CALL __stdcall
#else
#define KSLOG_FB_CALL
#endif

// The client library's own types, as its header declares them for 64-bit and 32-bit builds.
using FBStatus = std::intptr_t;
using FBServiceHandle = unsigned int;

struct TFBClientEntryPoints {
    FBStatus(KSLOG_FB_CALL* ServiceAttach)(FBStatus*, unsigned short, const char*, FBServiceHandle*, unsigned short,
                                           const char*) = nullptr;
    FBStatus(KSLOG_FB_CALL* ServiceDetach)(FBStatus*, FBServiceHandle*) = nullptr;
    FBStatus(KSLOG_FB_CALL* ServiceStart)(FBStatus*, FBServiceHandle*, std::int32_t*, unsigned short,
                                          const char*) = nullptr;
    FBStatus(KSLOG_FB_CALL* ServiceQuery)(FBStatus*, FBServiceHandle*, std::int32_t*, unsigned short, const char*,
                                          unsigned short, const char*, unsigned short, char*) = nullptr;
    std::int32_t(KSLOG_FB_CALL* Interpret)(char*, unsigned int, const FBStatus**) = nullptr;
};

class TFBClientLibrary {
public:
    // The names tried, in order: the system's client library under its usual names.
    static std::vector<std::string> DefaultNames();

    // Loads the first of the names that can be loaded and has every entry point. Throws
    // EFBRemoteError (ClientLibraryMissing) saying what to install when none can.
    static std::shared_ptr<const TFBClientLibrary> Load(const std::vector<std::string>& names = DefaultNames());

    ~TFBClientLibrary();
    TFBClientLibrary(const TFBClientLibrary&) = delete;
    TFBClientLibrary& operator=(const TFBClientLibrary&) = delete;

    const TFBClientEntryPoints& Api() const noexcept { return FApi; }
    // The name it was loaded by.
    const std::string& Name() const noexcept { return FName; }

private:
    TFBClientLibrary() = default;

    void* FModule = nullptr;
    std::string FName;
    TFBClientEntryPoints FApi;
};
