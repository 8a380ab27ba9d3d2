#include "FBClientLibrary.h"

#include "FBRemoteError.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

void* OpenModule(const std::string& name, std::string& why)
{
#ifdef _WIN32
    const std::wstring wide(name.begin(), name.end());
    HMODULE module = LoadLibraryW(wide.c_str());
    if (module == nullptr)
        why = name + ": error " + std::to_string(GetLastError());
    return reinterpret_cast<void*>(module);
#else
    void* module = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr)
        why = dlerror();
    return module;
#endif
}

void* FindSymbol(void* module, const char* name)
{
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
#else
    return dlsym(module, name);
#endif
}

template <typename Function>
bool Bind(void* module, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(FindSymbol(module, name));
    return function != nullptr;
}

bool BindAll(void* module, TFBClientEntryPoints& api)
{
    return Bind(module, "isc_service_attach", api.ServiceAttach) &&
           Bind(module, "isc_service_detach", api.ServiceDetach) &&
           Bind(module, "isc_service_start", api.ServiceStart) &&
           Bind(module, "isc_service_query", api.ServiceQuery) && Bind(module, "fb_interpret", api.Interpret);
}

}  // namespace

std::vector<std::string> TFBClientLibrary::DefaultNames()
{
#ifdef _WIN32
    return {"fbclient.dll", "gds32.dll"};
#elif defined(__APPLE__)
    return {"libfbclient.dylib", "/Library/Frameworks/Firebird.framework/Firebird"};
#else
    return {"libfbclient.so.2", "libfbclient.so"};
#endif
}

std::shared_ptr<const TFBClientLibrary> TFBClientLibrary::Load(const std::vector<std::string>& names)
{
    std::string reasons;
    for (const std::string& name : names) {
        std::string why;
        void* module = OpenModule(name, why);
        if (module == nullptr) {
            reasons += "\n" + why;
            continue;
        }
        std::shared_ptr<TFBClientLibrary> library(new TFBClientLibrary());
        if (!BindAll(module, library->FApi)) {
            reasons += "\n" + name + ": not a Firebird client library (it lacks the Services API)";
            continue;
        }
        library->FModule = module;
        library->FName = name;
        return library;
    }
    throw EFBRemoteError(TFBRemoteFailure::ClientLibraryMissing,
                         std::string("The Firebird client library could not be loaded. ") + kFBClientInstallHint +
                             reasons);
}

// The module stays loaded: the client library keeps threads and exit handlers of its own that
// must not lose their code while the process runs.
TFBClientLibrary::~TFBClientLibrary() = default;
