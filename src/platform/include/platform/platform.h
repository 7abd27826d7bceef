// The component's one window onto the platform: the Win32 names and types, from Windows'
// own headers in the Windows build and from winsim's elsewhere. Nothing else in the
// component includes a platform header or asks which platform it is built for.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <objbase.h>
#include <shlobj.h>
// clang-format on
#else
#include <winsim/win32.h>
#endif

#include <stddef.h>
#include <stdint.h>

// A pointer carried in a 32-bit field of a block shared with the 32-bit driver.
inline DWORD PointerToField32(const void* pointer)
{
#ifdef _WIN32
    return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(pointer));
#else
    return WinsimPointerToDword(pointer);
#endif
}

inline const void* Field32ToPointer(DWORD field)
{
#ifdef _WIN32
    return reinterpret_cast<const void*>(static_cast<UINT_PTR>(field));
#else
    return WinsimDwordToPointer(field);
#endif
}

// A procedure address from GetProcAddress, as the function type it really has.
template <typename Function>
inline Function ProcAs(FARPROC proc)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}
