// Kernel objects (mutexes and events), waiting on them, critical sections and
// time.
#include "platform/win32/internal/Kernel.h"

#include "platform/win32/CrtFile.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WinUser.h"
#include "platform/win32/internal/Handles.h"
#include "platform/win32/internal/Scheduler.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace win32::internal {
namespace {

// The state of every object is guarded by the scheduler's mutex.
struct KernelObject {
    enum class Kind { Mutex, Event, File };
    Kind kind;
    // Mutex.
    DWORD owner = 0;
    LONG recursion = 0;
    bool abandoned = false;
    // Event.
    bool manualReset = false;
    bool signalled = false;
    std::string name;
    // File.
    int fd = -1; // owned, closed with the last reference
    bool readable = false;
    bool writable = false;

    explicit KernelObject(Kind k) : kind(k) {}
    ~KernelObject() {
        if (fd >= 0) {
            close(fd);
        }
    }
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;

    bool IsSignalledFor(DWORD thread) const {
        if (kind == Kind::Mutex) {
            return owner == 0 || owner == thread;
        }
        return signalled;
    }
    // Takes the object for a thread whose wait it satisfied; answers whether
    // a mutex was abandoned by its previous owner.
    bool Acquire(DWORD thread) {
        if (kind == Kind::Event) {
            if (!manualReset) {
                signalled = false;
            }
            return false;
        }
        owner = thread;
        ++recursion;
        bool wasAbandoned = abandoned;
        abandoned = false;
        return wasAbandoned;
    }
};

struct KernelObjects {
    HandleTable<KernelObject> handles;
    std::mutex namesMutex;
    std::map<std::string, std::weak_ptr<KernelObject>> named;
};

KernelObjects& Objects() {
    return Immortal<KernelObjects>();
}

std::shared_ptr<KernelObject> FindObject(HANDLE handle) {
    auto object = Objects().handles.Find(ValueOf(handle));
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return object;
}

HANDLE CreateObject(KernelObject::Kind kind, LPCSTR name,
                    const std::function<void(KernelObject&)>& initialise) {
    std::shared_ptr<KernelObject> object;
    bool existed = false;
    auto& objects = Objects();
    {
        std::lock_guard lock(objects.namesMutex);
        if (name != nullptr && *name != '\0') {
            auto it = objects.named.find(name);
            if (it != objects.named.end()) {
                object = it->second.lock();
            }
            if (object && object->kind != kind) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
            existed = object != nullptr;
        }
        if (!object) {
            object = std::make_shared<KernelObject>(kind);
            if (name != nullptr && *name != '\0') {
                object->name = name;
                objects.named[name] = object;
            }
            std::lock_guard state(Scheduler::Get().mutex);
            initialise(*object);
        }
    }
    uint32_t value = objects.handles.Insert(object);
    if (value == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return ULongToHandle(value);
}

template <typename Change>
BOOL ChangeObject(HANDLE handle, KernelObject::Kind kind, Change change) {
    auto object = FindObject(handle);
    if (!object || object->kind != kind) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto& scheduler = Scheduler::Get();
    BOOL ok;
    {
        std::lock_guard lock(scheduler.mutex);
        ok = change(*object);
        scheduler.WakeAllLocked();
    }
    return ok;
}

} // namespace

void AbandonMutexesOf(DWORD threadId) {
    auto all = Objects().handles.All();
    auto& scheduler = Scheduler::Get();
    {
        std::lock_guard lock(scheduler.mutex);
        for (auto& object : all) {
            if (object->kind == KernelObject::Kind::Mutex && object->owner == threadId) {
                object->owner = 0;
                object->recursion = 0;
                object->abandoned = true;
            }
        }
        scheduler.WakeAllLocked();
    }
}

DWORD WaitForObjects(std::span<const HANDLE> handles, bool waitAll, DWORD timeoutMs,
                     WithMessages messages, DWORD wakeMask) {
    std::vector<std::shared_ptr<KernelObject>> objects;
    objects.reserve(handles.size());
    for (HANDLE handle : handles) {
        auto object = FindObject(handle);
        if (!object) {
            return WAIT_FAILED;
        }
        objects.push_back(std::move(object));
    }
    if (objects.empty() && messages == WithMessages::No) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    DWORD self = GetCurrentThreadId();
    ThreadQueue& queue = CurrentQueue();
    auto& scheduler = Scheduler::Get();
    std::optional<std::chrono::steady_clock::time_point> deadline;
    if (timeoutMs != INFINITE) {
        deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    }
    bool wantsPosted = (wakeMask & (QS_POSTMESSAGE | QS_ALLPOSTMESSAGE)) != 0 || wakeMask == 0;

    std::unique_lock lock(scheduler.mutex);
    for (;;) {
        if (messages == WithMessages::Yes) {
            HandleIncomingSends(lock, queue);
        }
        if (waitAll && !objects.empty()) {
            bool all = std::all_of(objects.begin(), objects.end(), [&](const auto& object) {
                return object->IsSignalledFor(self);
            });
            if (all) {
                bool abandoned = false;
                for (auto& object : objects) {
                    abandoned = object->Acquire(self) || abandoned;
                }
                scheduler.WakeAllLocked();
                return abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0;
            }
        } else {
            for (size_t i = 0; i < objects.size(); ++i) {
                if (objects[i]->IsSignalledFor(self)) {
                    bool abandoned = objects[i]->Acquire(self);
                    scheduler.WakeAllLocked();
                    return static_cast<DWORD>(i) + (abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0);
                }
            }
        }
        if (messages == WithMessages::Yes && wantsPosted &&
            (!queue.posted.empty() || queue.quitPending)) {
            return WAIT_OBJECT_0 + static_cast<DWORD>(objects.size());
        }
        if (!deadline) {
            queue.wake.wait(lock);
        } else if (std::chrono::steady_clock::now() >= *deadline) {
            return WAIT_TIMEOUT;
        } else {
            queue.wake.wait_until(lock, *deadline);
        }
    }
}

} // namespace win32::internal

using namespace win32::internal;

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name) {
    DWORD self = GetCurrentThreadId();
    return CreateObject(KernelObject::Kind::Mutex, name, [&](KernelObject& mutex) {
        if (initialOwner) {
            mutex.owner = self;
            mutex.recursion = 1;
        }
    });
}

BOOL ReleaseMutex(HANDLE mutex) {
    DWORD self = GetCurrentThreadId();
    return ChangeObject(mutex, KernelObject::Kind::Mutex, [&](KernelObject& object) -> BOOL {
        if (object.owner != self) {
            SetLastError(ERROR_NOT_OWNER);
            return FALSE;
        }
        if (--object.recursion == 0) {
            object.owner = 0;
        }
        return TRUE;
    });
}

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name) {
    return CreateObject(KernelObject::Kind::Event, name, [&](KernelObject& event) {
        event.manualReset = manualReset != FALSE;
        event.signalled = initialState != FALSE;
    });
}

BOOL SetEvent(HANDLE event) {
    return ChangeObject(event, KernelObject::Kind::Event, [](KernelObject& object) -> BOOL {
        object.signalled = true;
        return TRUE;
    });
}

BOOL ResetEvent(HANDLE event) {
    return ChangeObject(event, KernelObject::Kind::Event, [](KernelObject& object) -> BOOL {
        object.signalled = false;
        return TRUE;
    });
}

DWORD WaitForSingleObject(HANDLE object, DWORD timeoutMs) {
    return WaitForObjects(std::span<const HANDLE>(&object, 1), false, timeoutMs, WithMessages::No,
                          0);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs) {
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    return WaitForObjects(std::span<const HANDLE>(handles, count), waitAll != FALSE, timeoutMs,
                          WithMessages::No, 0);
}

BOOL CloseHandle(HANDLE handle) {
    auto object = Objects().handles.Remove(ValueOf(handle));
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

namespace {
std::recursive_mutex& LockOf(LPCRITICAL_SECTION section) {
    return *std::launder(reinterpret_cast<std::recursive_mutex*>(section->storage));
}
} // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
    new (section->storage) std::recursive_mutex();
    section->OwningThread = 0;
    section->RecursionCount = 0;
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
    LockOf(section).~recursive_mutex();
}

void EnterCriticalSection(LPCRITICAL_SECTION section) {
    LockOf(section).lock();
    section->OwningThread = GetCurrentThreadId();
    ++section->RecursionCount;
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
    if (!LockOf(section).try_lock()) {
        return FALSE;
    }
    section->OwningThread = GetCurrentThreadId();
    ++section->RecursionCount;
    return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
    if (--section->RecursionCount == 0) {
        section->OwningThread = 0;
    }
    LockOf(section).unlock();
}

void Sleep(DWORD ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

DWORD GetTickCount() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

namespace {

std::shared_ptr<KernelObject> FindFile(HANDLE file) {
    auto object = FindObject(file);
    if (!object || object->kind != KernelObject::Kind::File) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return object;
}

int OpenFlags(DWORD access, DWORD disposition) {
    bool read = (access & GENERIC_READ) != 0;
    bool write = (access & GENERIC_WRITE) != 0;
    int flags = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    switch (disposition) {
    case CREATE_NEW:
        return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
        return flags | O_CREAT | O_TRUNC;
    case OPEN_ALWAYS:
        return flags | O_CREAT;
    case TRUNCATE_EXISTING:
        return flags | O_TRUNC;
    default:
        return flags;
    }
}

DWORD ErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

} // namespace

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD, HANDLE) {
    if (fileName == nullptr || disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string path = MapFileName(fileName);
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    int fd = open(path.c_str(), OpenFlags(access, disposition) | O_CLOEXEC, 0644);
    if (fd < 0) {
        SetLastError(ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    auto object = std::make_shared<KernelObject>(KernelObject::Kind::File);
    object->fd = fd;
    object->readable = (access & GENERIC_READ) != 0;
    object->writable = (access & GENERIC_WRITE) != 0;
    object->signalled = true;
    uint32_t value = Objects().handles.Insert(std::move(object));
    if (value == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    return ULongToHandle(value);
}

namespace {

enum class Direction { Read, Write };

// The common part of ReadFile and WriteFile: checks, then one transfer.
template <typename Transfer>
BOOL TransferFile(HANDLE file, Direction direction, const void* buffer, DWORD count, LPDWORD done,
                  Transfer transfer) {
    if (done != nullptr) {
        *done = 0;
    }
    auto object = FindFile(file);
    if (!object) {
        return FALSE;
    }
    bool allowed = direction == Direction::Read ? object->readable : object->writable;
    if (!allowed || (buffer == nullptr && count > 0)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    ssize_t moved = transfer(object->fd);
    if (moved < 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    if (done != nullptr) {
        *done = static_cast<DWORD>(moved);
    }
    return TRUE;
}

} // namespace

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, OVERLAPPED*) {
    return TransferFile(file, Direction::Read, buffer, toRead, read,
                        [&](int fd) { return ::read(fd, buffer, toRead); });
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, OVERLAPPED*) {
    return TransferFile(file, Direction::Write, buffer, toWrite, written,
                        [&](int fd) { return ::write(fd, buffer, toWrite); });
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
    auto object = FindFile(file);
    struct stat info {};
    if (!object || fstat(object->fd, &info) != 0) {
        return INVALID_FILE_SIZE;
    }
    auto size = static_cast<uint64_t>(info.st_size);
    if (sizeHigh != nullptr) {
        *sizeHigh = static_cast<DWORD>(size >> 32);
    }
    return static_cast<DWORD>(size & 0xFFFFFFFFu);
}
