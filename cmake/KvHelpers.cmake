# What the build files share: resource-only libraries made with the cross toolchain, and the
# compiler launcher for the Windows programs that need POSIX threads.

find_program(KV_WINDRES i686-w64-mingw32-windres REQUIRED)
find_program(KV_PE_LD i686-w64-mingw32-ld REQUIRED)

# kv_resource_library(<output> RC <script> [INCLUDE <dir>...] [DEFINE <definition>...]
#                     [DEPENDS <file>...])
# A resource-only 32-bit PE file, as the resource library, the control panel's dialogs and the
# tests' fixture libraries are: the script compiled by windres and linked as a DLL without
# code. Both builds make the same file, and winsim loads it as Windows does.
function(kv_resource_library output)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "RC" "INCLUDE;DEFINE;DEPENDS")
    get_filename_component(directory ${output} DIRECTORY)
    get_filename_component(name ${output} NAME)
    get_filename_component(script ${arg_RC} ABSOLUTE)
    list(TRANSFORM arg_INCLUDE PREPEND -I OUTPUT_VARIABLE includes)
    list(TRANSFORM arg_DEFINE PREPEND -D OUTPUT_VARIABLE definitions)
    file(MAKE_DIRECTORY ${directory})
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${KV_WINDRES} ${includes} ${definitions} ${script} -O coff -o ${output}.o
        COMMAND ${KV_PE_LD} -shared -e 0 --dll -o ${output} ${output}.o
        DEPENDS ${script} ${arg_DEPENDS}
        WORKING_DIRECTORY ${directory}
        COMMENT "Building the resource library ${name}")
endfunction()

# kv_use_posix_threads(<target>...)
# Compiles and links the targets with the cross compiler's POSIX-threads variant: GoogleTest,
# and the programs that link it, need std::mutex.
function(kv_use_posix_threads)
    foreach(target ${ARGN})
        set_target_properties(${target} PROPERTIES CXX_COMPILER_LAUNCHER ${PROJECT_SOURCE_DIR}/cmake/posix-threads-cxx.sh
                                                   CXX_LINKER_LAUNCHER ${PROJECT_SOURCE_DIR}/cmake/posix-threads-cxx.sh)
    endforeach()
endfunction()
