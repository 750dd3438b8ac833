// A named shared-memory object private to the user (mode 0600) that lives as
// long as some process holds it: the last holder to close it removes the
// name, so the next creator starts from a zeroed object. Each holder keeps a
// shared lock on the object; closing with the exclusive lock proves it is the
// last. A holder that dies leaves the object behind with its content.
#pragma once

#include "common/ComTypes.h"

#include <cstddef>
#include <string>

class CSharedMemory {
public:
    CSharedMemory() = default;
    ~CSharedMemory();
    CSharedMemory(const CSharedMemory&) = delete;
    CSharedMemory& operator=(const CSharedMemory&) = delete;

    // Creates the object `name` of `cb` bytes, or opens it when it exists.
    // Refuses (ERROR_ACCESS_DENIED) an object that another user owns or that
    // others may read. Returns 0 or a Win32 error number.
    HRESULT Create(const std::string& name, size_t cb);

    // Maps the whole object read-write.
    HRESULT Map(void** ppView);

    // True when Create found the object already there.
    bool AlreadyExisted() const { return m_existed; }

    // False once another process has cut the object below the size it was
    // created with: touching the view beyond the object's end would kill
    // this process (SIGBUS).
    bool IsWhole() const;

    // False once another process has removed the name, or put another
    // object under it.
    bool IsStillNamed() const;

    // Unmaps, and removes the name when no other process holds the object.
    void Close();

private:
    HRESULT OpenOrCreate();

    std::string m_name;
    size_t m_cb = 0;
    int m_fd = -1;
    void* m_pView = nullptr;
    bool m_existed = false;
};
