#!/bin/sh
# Compiles or links with the cross compiler's POSIX-threads variant instead of the one CMake
# was given: GoogleTest needs std::mutex, which the win32-threads variant of GCC 12 lacks.
# Usage (as a compiler or linker launcher): posix-threads-cxx.sh COMPILER ARGUMENT...
shift
exec i686-w64-mingw32-g++-posix "$@"
