// Small owners of the Windows handles that glypho makes during one call: files,
// device contexts, GDI objects, a selection undone on scope exit and the private
// font registration. Each releases exactly once and cannot be copied.
#pragma once

#include <windows.h>

namespace glypho {

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    void close() { if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_); h_ = INVALID_HANDLE_VALUE; }
private:
    HANDLE h_;
};

// GetDC / ReleaseDC of a window (the screen when the window is null).
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() { if (dc_) ReleaseDC(window_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }
private:
    HWND window_;
    HDC dc_;
};

class MemoryDc {
public:
    explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc() { if (dc_) DeleteDC(dc_); }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }
private:
    HDC dc_;
};

// A font, pen or bitmap that this call made and deletes.
class GdiObject {
public:
    explicit GdiObject(HGDIOBJ object = nullptr) : object_(object) {}
    ~GdiObject() { if (object_) DeleteObject(object_); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ get() const { return object_; }
    void reset(HGDIOBJ object) {
        if (object_) DeleteObject(object_);
        object_ = object;
    }
private:
    HGDIOBJ object_;
};

// Selects an object into a device context and selects the previous one back.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~Selection() { if (previous_) SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A font image registered with AddFontMemResourceEx, removed again on scope exit.
class PrivateFont {
public:
    PrivateFont(const void* image, DWORD size) {
        handle_ = AddFontMemResourceEx(const_cast<void*>(image), size, nullptr, &count_);
    }
    ~PrivateFont() { if (handle_) RemoveFontMemResourceEx(handle_); }
    PrivateFont(const PrivateFont&) = delete;
    PrivateFont& operator=(const PrivateFont&) = delete;
    bool loaded() const { return handle_ != nullptr && count_ > 0; }
private:
    HANDLE handle_ = nullptr;
    DWORD count_ = 0;
};

}  // namespace glypho
