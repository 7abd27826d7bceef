// The few runtime routines that the compiler itself may call in a DLL built without a C
// runtime: block moves and fills for aggregate copies and zero-initialisation.
#include <stddef.h>

extern "C" void* memset(void* destination, int value, size_t count)
{
    unsigned char* bytes = static_cast<unsigned char*>(destination);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<unsigned char>(value);
    }
    return destination;
}

extern "C" void* memcpy(void* destination, const void* source, size_t count)
{
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    for (size_t i = 0; i < count; ++i) {
        to[i] = from[i];
    }
    return destination;
}

extern "C" void* memmove(void* destination, const void* source, size_t count)
{
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    if (to < from) {
        for (size_t i = 0; i < count; ++i) {
            to[i] = from[i];
        }
    } else {
        for (size_t i = count; i > 0; --i) {
            to[i - 1] = from[i - 1];
        }
    }
    return destination;
}

// Interfaces declare their methods pure; a call through an abstract vtable cannot happen in
// a complete object, but the compiler still names the routine for it.
extern "C" void __cxa_pure_virtual() {}
