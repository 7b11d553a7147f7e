// Owning wrappers for kernel handles and icons, in the manner of the GDI wrappers (Gdi.h).
//
// Each wrapper owns at most one handle. Closing (or destroying the wrapper) closes the handle and clears
// it, so a wrapper can be reused. Attach takes ownership of a handle, Detach gives it up. Method names
// are those of the Win32 calls they wrap. Header only: code without windows (the device service) uses
// them without linking the framework.
#pragma once

#include <windows.h>

// A kernel object handle (file, pipe, event, mutex, thread, process). Calls that fail return either null
// or INVALID_HANDLE_VALUE; both are kept as null, so IsNull is the one test.
class CHandle {
public:
    CHandle() = default;
    explicit CHandle(HANDLE h) { Attach(h); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    CHandle(CHandle&& other) noexcept : m_h(other.Detach()) {}
    CHandle& operator=(CHandle&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }
    ~CHandle() { CloseHandle(); }

    operator HANDLE() const { return m_h; }
    bool IsNull() const { return m_h == nullptr; }

    // Takes ownership of h after closing the current handle.
    void Attach(HANDLE h)
    {
        if (h != m_h)
            CloseHandle();
        m_h = h == INVALID_HANDLE_VALUE ? nullptr : h;
    }
    HANDLE Detach()
    {
        HANDLE h = m_h;
        m_h = nullptr;
        return h;
    }
    // Closes the handle; true when there was one and it closed.
    BOOL CloseHandle()
    {
        if (!m_h)
            return FALSE;
        const BOOL ok = ::CloseHandle(m_h);
        m_h = nullptr;
        return ok;
    }

private:
    HANDLE m_h = nullptr;
};

// An icon made by LoadImage, CreateIconIndirect or CopyIcon (not a shared icon from LoadIcon).
class CIcon {
public:
    CIcon() = default;
    explicit CIcon(HICON h) : m_hIcon(h) {}
    CIcon(const CIcon&) = delete;
    CIcon& operator=(const CIcon&) = delete;
    CIcon(CIcon&& other) noexcept : m_hIcon(other.Detach()) {}
    CIcon& operator=(CIcon&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }
    ~CIcon() { DestroyIcon(); }

    operator HICON() const { return m_hIcon; }
    bool IsNull() const { return m_hIcon == nullptr; }

    // Takes ownership of h after destroying the current icon.
    void Attach(HICON h)
    {
        if (h != m_hIcon)
            DestroyIcon();
        m_hIcon = h;
    }
    HICON Detach()
    {
        HICON h = m_hIcon;
        m_hIcon = nullptr;
        return h;
    }
    // Destroys the icon; true when there was one and it went.
    BOOL DestroyIcon()
    {
        if (!m_hIcon)
            return FALSE;
        const BOOL ok = ::DestroyIcon(m_hIcon);
        m_hIcon = nullptr;
        return ok;
    }

private:
    HICON m_hIcon = nullptr;
};
