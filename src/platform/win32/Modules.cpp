// Loadable modules: LoadLibrary with the search of bare names, entry points,
// module handles and file names.
#include "platform/win32/CrtFile.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/internal/Files.h"
#include "platform/win32/internal/Handles.h"
#include "platform/win32/internal/Window.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace win32::internal;

namespace {

using DllMainProc = BOOL (*)(HINSTANCE, DWORD, LPVOID);

struct Module {
    uint32_t handle = 0;
    std::string path;
    void* library = nullptr; // dlopen handle; owned unless pinned
    int references = 0;
    bool pinned = false; // the program, or a module found by address: never unloaded
};

struct Modules {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<Module>> byPath;
    HandleTable<Module> handles;
    std::shared_ptr<Module> program;
};

Modules& Registry() {
    return Immortal<Modules>();
}

std::string Canonical(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

std::string ProgramPath() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::shared_ptr<Module> ProgramLocked(Modules& modules) {
    if (!modules.program) {
        auto program = std::make_shared<Module>();
        program->path = ProgramPath();
        program->library = dlopen(nullptr, RTLD_NOW);
        program->pinned = true;
        program->handle = modules.handles.Insert(program);
        modules.byPath[program->path] = program;
        modules.program = std::move(program);
    }
    return modules.program;
}

std::shared_ptr<Module> FindModule(HMODULE module) {
    auto& modules = Registry();
    if (module == nullptr) {
        std::lock_guard lock(modules.mutex);
        return ProgramLocked(modules);
    }
    auto found = modules.handles.Find(ValueOf(module));
    if (!found) {
        SetLastError(ERROR_MOD_NOT_FOUND);
    }
    return found;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool HasFolder(std::string_view name) {
    return name.find_first_of("/\\") != std::string_view::npos ||
           (name.size() >= 2 && name[1] == ':');
}

std::vector<std::string> SearchFolders() {
    std::vector<std::string> folders;
    std::string program = ProgramPath();
    folders.push_back(std::filesystem::path(program).parent_path().string());
    std::error_code error;
    folders.push_back(std::filesystem::current_path(error).string());
    DWORD size = GetEnvironmentVariable("path", nullptr, 0);
    if (size > 0) {
        std::string path(size, '\0');
        path.resize(GetEnvironmentVariable("path", path.data(), size));
        size_t start = 0;
        while (start <= path.size()) {
            size_t end = path.find(';', start);
            if (end == std::string::npos) {
                end = path.size();
            }
            if (end > start) {
                folders.push_back(MapFileName(path.substr(start, end - start)));
            }
            start = end + 1;
        }
    }
    return folders;
}

// The file a LoadLibrary name stands for, or empty.
std::string Locate(std::string_view name) {
    if (HasFolder(name)) {
        std::string path = ResolveNoCase(MapFileName(name));
        return IsRegularFile(path) ? path : std::string();
    }
    std::string file(name);
    if (file.find('.') == std::string::npos) {
        file += ".dll";
    }
    for (const auto& listed : SearchFolders()) {
        std::string folder = ResolveNoCase(listed);
        std::string candidate = folder + "/" + EntryNameNoCase(folder, file);
        if (IsRegularFile(candidate)) {
            return candidate;
        }
    }
    return {};
}

// The module's own DllMain, not one that a library it depends on exports.
DllMainProc EntryOf(const Module& module) {
    void* symbol = dlsym(module.library, "DllMain");
    Dl_info info{};
    if (symbol == nullptr || dladdr(symbol, &info) == 0 || info.dli_fname == nullptr ||
        Canonical(info.dli_fname) != module.path) {
        return nullptr;
    }
    return reinterpret_cast<DllMainProc>(symbol);
}

void Forget(Modules& modules, const std::shared_ptr<Module>& module) {
    std::lock_guard lock(modules.mutex);
    modules.byPath.erase(module->path);
    modules.handles.Remove(module->handle);
}

} // namespace

HMODULE LoadLibraryA(LPCSTR fileName) {
    if (fileName == nullptr || *fileName == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string located = Locate(fileName);
    if (located.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    std::string path = Canonical(located);
    auto& modules = Registry();
    std::shared_ptr<Module> module;
    {
        std::lock_guard lock(modules.mutex);
        if (auto it = modules.byPath.find(path); it != modules.byPath.end()) {
            ++it->second->references;
            return static_cast<HMODULE>(ULongToHandle(it->second->handle));
        }
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            SetLastError(ERROR_BAD_EXE_FORMAT);
            return nullptr;
        }
        module = std::make_shared<Module>();
        module->path = path;
        module->library = library;
        module->references = 1;
        module->handle = modules.handles.Insert(module);
        if (module->handle == 0) {
            dlclose(library);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        modules.byPath[path] = module;
    }
    auto instance = static_cast<HMODULE>(ULongToHandle(module->handle));
    // The entry point runs without the registry lock, so it may load modules.
    if (DllMainProc entry = EntryOf(*module);
        entry != nullptr && !entry(instance, DLL_PROCESS_ATTACH, nullptr)) {
        Forget(modules, module);
        dlclose(module->library);
        SetLastError(ERROR_DLL_INIT_FAILED);
        return nullptr;
    }
    return instance;
}

BOOL FreeLibrary(HMODULE handle) {
    auto module = FindModule(handle);
    if (!module || handle == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto& modules = Registry();
    {
        std::lock_guard lock(modules.mutex);
        if (module->pinned || --module->references > 0) {
            return TRUE;
        }
    }
    if (DllMainProc entry = EntryOf(*module)) {
        entry(handle, DLL_PROCESS_DETACH, nullptr);
    }
    Forget(modules, module);
    dlclose(module->library);
    return TRUE;
}

FARPROC GetProcAddress(HMODULE handle, LPCSTR procName) {
    auto module = FindModule(handle);
    if (!module) {
        return nullptr;
    }
    if (procName == nullptr || IS_INTRESOURCE(procName)) {
        // Exports have names only here; there are no ordinals.
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* symbol = module->library != nullptr ? dlsym(module->library, procName) : nullptr;
    if (symbol == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    auto& modules = Registry();
    std::lock_guard lock(modules.mutex);
    if (moduleName == nullptr) {
        return static_cast<HMODULE>(ULongToHandle(ProgramLocked(modules)->handle));
    }
    std::string wanted(moduleName);
    if (!HasFolder(wanted) && wanted.find('.') == std::string::npos) {
        wanted += ".dll";
    }
    for (const auto& [path, module] : modules.byPath) {
        std::string file = std::filesystem::path(path).filename().string();
        if (EqualNoCase(file, wanted) || path == wanted) {
            return static_cast<HMODULE>(ULongToHandle(module->handle));
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

BOOL GetModuleHandleExA(DWORD flags, LPCSTR name, HMODULE* result) {
    if (result == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *result = nullptr;
    if ((flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) == 0) {
        HMODULE module = GetModuleHandleA(name);
        if (module == nullptr) {
            return FALSE;
        }
        if ((flags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT) == 0) {
            auto& modules = Registry();
            std::lock_guard lock(modules.mutex);
            if (auto found = modules.handles.Find(ValueOf(module))) {
                ++found->references;
            }
        }
        *result = module;
        return TRUE;
    }
    Dl_info info{};
    if (name == nullptr || dladdr(name, &info) == 0 || info.dli_fname == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    std::string path = Canonical(info.dli_fname);
    auto& modules = Registry();
    std::lock_guard lock(modules.mutex);
    auto program = ProgramLocked(modules);
    if (*info.dli_fname == '\0' || path == Canonical(program->path)) {
        *result = static_cast<HMODULE>(ULongToHandle(program->handle));
        return TRUE;
    }
    auto it = modules.byPath.find(path);
    if (it == modules.byPath.end()) {
        // A library the process loaded without LoadLibrary (linked in, or
        // opened by the host): known from now on, and never unloaded here.
        auto module = std::make_shared<Module>();
        module->path = path;
        module->library = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        module->pinned = true;
        module->handle = modules.handles.Insert(module);
        it = modules.byPath.emplace(path, std::move(module)).first;
    }
    *result = static_cast<HMODULE>(ULongToHandle(it->second->handle));
    return TRUE;
}

DWORD GetModuleFileNameA(HMODULE handle, LPSTR buffer, DWORD size) {
    auto module = FindModule(handle);
    if (!module) {
        return 0;
    }
    if (buffer == nullptr || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const std::string& path = module->path;
    if (path.size() >= size) {
        path.copy(buffer, size - 1);
        buffer[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    path.copy(buffer, path.size());
    buffer[path.size()] = '\0';
    return static_cast<DWORD>(path.size());
}
