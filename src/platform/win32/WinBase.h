// Kernel services of the desktop stand-in: waitable objects, critical
// sections, environment, modules, thread and process ids, debugger output.
//
// Kernel handles come from the same counter as window handles, so a value
// names at most one object of any kind, ever.
#pragma once

#include "platform/win32/WinDef.h"

#include <mutex>

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
inline constexpr DWORD WAIT_ABANDONED = 0x00000080;
inline constexpr DWORD WAIT_ABANDONED_0 = WAIT_ABANDONED;
inline constexpr DWORD WAIT_TIMEOUT = 0x00000102;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
inline constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

// Mutexes are owned by a thread and re-entrant; a mutex whose owner thread
// ends is abandoned (the next wait answers WAIT_ABANDONED and owns it). A named
// mutex is shared by name within the process (ERROR_ALREADY_EXISTS).
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name);
BOOL ReleaseMutex(HANDLE mutex);
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                    LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
inline constexpr auto* CreateMutex = &CreateMutexA;
inline constexpr auto* CreateEvent = &CreateEventA;

DWORD WaitForSingleObject(HANDLE object, DWORD timeoutMs);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs);
// The object lives on while a wait on it is in progress.
BOOL CloseHandle(HANDLE object);

// A re-entrant lock for the threads of this process.
struct CRITICAL_SECTION {
    alignas(std::recursive_mutex) unsigned char storage[sizeof(std::recursive_mutex)];
    DWORD OwningThread;
    LONG RecursionCount;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;
void InitializeCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);

// Environment of the stand-in: process-wide, seeded from the real environment
// at first use, names compared without regard to case ("path" is "PATH").
// The seeded PATH has its ":" separators turned into ";", and TEMP and TMP
// are "c:\temp" unless the real environment sets them.
// Changes do not reach the real environment. Get answers the length without
// the terminator, or the size needed (terminator included) when the buffer is
// too small, or 0 with ERROR_ENVVAR_NOT_FOUND. Set with a null value deletes.
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);
BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value);
inline constexpr auto* GetEnvironmentVariable = &GetEnvironmentVariableA;
inline constexpr auto* SetEnvironmentVariable = &SetEnvironmentVariableA;

// Modules. LoadLibrary of a name with a folder loads that file; a bare name
// (".dll" added when it has no extension) is searched in the program's
// folder, the current folder and every folder of the environment variable
// "path" (";"-separated), in that order. File and folder names match
// without regard to case, so a lower-cased "path" still finds its folders. A module that exports
// `extern "C" BOOL DllMain(HINSTANCE, DWORD, LPVOID)` is told of its loading
// and final unloading. Loading a module twice answers the same handle.
inline constexpr DWORD DLL_PROCESS_DETACH = 0;
inline constexpr DWORD DLL_PROCESS_ATTACH = 1;
HMODULE LoadLibraryA(LPCSTR fileName);
BOOL FreeLibrary(HMODULE module);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
// Null: the program. Else a loaded module by file name or full path.
HMODULE GetModuleHandleA(LPCSTR moduleName);
inline constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_PIN = 0x1;
inline constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT = 0x2;
inline constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS = 0x4;
// With GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, name is an address inside the
// module: the module a function lives in, loaded by LoadLibrary or not.
BOOL GetModuleHandleExA(DWORD flags, LPCSTR name, HMODULE* module);
// The module's full file name (a host path); a null module names the program.
// A short buffer gets a truncated, terminated name, the answer is size and
// the error ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
inline constexpr auto* LoadLibrary = &LoadLibraryA;
inline constexpr auto* GetModuleHandle = &GetModuleHandleA;
inline constexpr auto* GetModuleHandleEx = &GetModuleHandleExA;
inline constexpr auto* GetModuleFileName = &GetModuleFileNameA;

// Thread ids are handed out by a counter at a thread's first call and never
// reused; the process id is the host's.
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();

// Appends to the debugger output log (Testing.h); also echoed to standard
// error when the real environment has WEBAGENT_DEBUG_OUTPUT set.
void OutputDebugStringA(LPCSTR text);
inline constexpr auto* OutputDebugString = &OutputDebugStringA;

void Sleep(DWORD ms);
DWORD GetTickCount();

// Files, with names mapped as CrtFile.h describes.
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
DWORD GetFileAttributesA(LPCSTR fileName);
BOOL DeleteFileA(LPCSTR fileName);
BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES attributes);
inline constexpr auto* GetFileAttributes = &GetFileAttributesA;
inline constexpr auto* DeleteFile = &DeleteFileA;
inline constexpr auto* CreateDirectory = &CreateDirectoryA;

// File handles, closed with CloseHandle. Names are mapped as CrtFile.h
// describes; sharing flags are accepted and not enforced.
inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FILE_SHARE_READ = 0x00000001;
inline constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;
inline constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;
struct OVERLAPPED;
// INVALID_HANDLE_VALUE on failure.
HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
                   DWORD disposition, DWORD flags, HANDLE templateFile);
inline constexpr auto* CreateFile = &CreateFileA;
// At the end of the file ReadFile succeeds with 0 bytes read.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, OVERLAPPED* overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, OVERLAPPED* overlapped);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
