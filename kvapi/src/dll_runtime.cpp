// What a C and C++ runtime would give KVAPI32.DLL, which is built without one. The C++
// library is linked in statically, without exceptions, and calls what is here: operator new
// over a heap of the DLL's own, the ends of its error reports, the registration of the
// destructors of function-local statics, and the C library's block and string routines.
#include "dll_runtime.h"

#include "platform/platform.h"

#include <bits/functexcept.h>  // the library's std::__throw_* routines, defined below
#include <cstddef>
#include <new>

namespace {

constexpr std::size_t kMaxExitFunctions = 32;

using ExitFunction = void (*)();

constinit HANDLE gHeap = nullptr;
constinit ExitFunction gExitFunctions[kMaxExitFunctions] = {};
constinit std::size_t gExitFunctionCount = 0;

HANDLE Heap()
{
    if (gHeap == nullptr) {
        gHeap = HeapCreate(0, 0, 0);
    }
    return gHeap;
}

// As abort does: the process ends at once, and the debugger learns why.
[[noreturn]] void EndProcess(const char* reason)
{
    OutputDebugStringA("KVAPI32: ");
    OutputDebugStringA(reason);
    OutputDebugStringA("\n");
    ExitProcess(3);
}

}  // namespace

namespace kvapi {

void ReleaseRuntime()
{
    while (gExitFunctionCount > 0) {
        gExitFunctions[--gExitFunctionCount]();
    }
    if (gHeap != nullptr) {
        HeapDestroy(gHeap);
        gHeap = nullptr;
    }
}

}  // namespace kvapi

void* operator new(std::size_t size)
{
    const HANDLE heap = Heap();
    void* block = heap != nullptr ? HeapAlloc(heap, 0, size != 0 ? size : 1) : nullptr;
    if (block == nullptr) {
        EndProcess("out of memory");
    }
    return block;
}

void operator delete(void* block) noexcept
{
    if (block != nullptr) {
        HeapFree(gHeap, 0, block);
    }
}

void operator delete(void* block, std::size_t) noexcept
{
    operator delete(block);
}

// The C++ library reports a broken precondition or an exhausted heap through these; without
// exceptions there is no one to tell, and the process ends.
namespace std {

void __throw_bad_alloc()
{
    EndProcess("out of memory");
}

void __throw_bad_array_new_length()
{
    EndProcess("bad array new length");
}

void __throw_bad_function_call()
{
    EndProcess("bad function call");
}

void __throw_length_error(const char* what)
{
    EndProcess(what);
}

void __throw_logic_error(const char* what)
{
    EndProcess(what);
}

void __throw_out_of_range_fmt(const char* format, ...)
{
    EndProcess(format);
}

}  // namespace std

extern "C" {

// Function-local statics register their destructors here.
int atexit(ExitFunction function)
{
    if (gExitFunctionCount == kMaxExitFunctions) {
        return -1;
    }
    gExitFunctions[gExitFunctionCount++] = function;
    return 0;
}

void abort()
{
    EndProcess("abort");
}

void* memcpy(void* destination, const void* source, std::size_t count)
{
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    for (std::size_t i = 0; i < count; ++i) {
        to[i] = from[i];
    }
    return destination;
}

void* memmove(void* destination, const void* source, std::size_t count)
{
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    if (to < from) {
        for (std::size_t i = 0; i < count; ++i) {
            to[i] = from[i];
        }
    } else {
        for (std::size_t i = count; i > 0; --i) {
            to[i - 1] = from[i - 1];
        }
    }
    return destination;
}

void* memset(void* destination, int value, std::size_t count)
{
    unsigned char* bytes = static_cast<unsigned char*>(destination);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<unsigned char>(value);
    }
    return destination;
}

int memcmp(const void* left, const void* right, std::size_t count)
{
    const unsigned char* a = static_cast<const unsigned char*>(left);
    const unsigned char* b = static_cast<const unsigned char*>(right);
    for (std::size_t i = 0; i < count; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}

void* memchr(const void* block, int value, std::size_t count)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(block);
    for (std::size_t i = 0; i < count; ++i) {
        if (bytes[i] == static_cast<unsigned char>(value)) {
            return const_cast<unsigned char*>(bytes + i);
        }
    }
    return nullptr;
}

std::size_t strlen(const char* text)
{
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

}  // extern "C"
