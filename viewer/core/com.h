// Small owners for COM: one interface pointer, and the apartment of the calling
// thread. Shared by the decoders (the imaging component) and the file-manager
// synchronisation (the shell's windows).
#pragma once

#include <windows.h>
#include <objbase.h>

// Owns one COM interface pointer and releases it once.
template <typename T>
struct ComPtr {
    T* p = nullptr;
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
    void** Out() { return reinterpret_cast<void**>(&p); }
};

// COM for the calling thread (single-threaded apartment), from construction to
// destruction; the main window holds one for its whole life, since every decode
// runs on its thread.
struct ComApartment {
    HRESULT result;
    ComApartment() : result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};
