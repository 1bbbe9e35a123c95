# Cross-compiles the Windows x64 program on Debian with clang and lld over the
# MinGW-w64 headers and the GCC MinGW installation's static C++ library, and
# runs what it builds (tests, the benchmark) under Wine. lld writes what GNU ld
# cannot: a load configuration with Control Flow Guard, and the CET mark.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(toolchainPrefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang-16)
set(CMAKE_CXX_COMPILER clang++-16)
set(CMAKE_ASM_COMPILER clang-16)
set(CMAKE_C_COMPILER_TARGET ${toolchainPrefix})
set(CMAKE_CXX_COMPILER_TARGET ${toolchainPrefix})
set(CMAKE_ASM_COMPILER_TARGET ${toolchainPrefix})
set(CMAKE_RC_COMPILER ${toolchainPrefix}-windres)
set(CMAKE_DLLTOOL ${toolchainPrefix}-dlltool)

# The GCC MinGW installation that supplies libstdc++, libgcc and winpthread.
# Debian puts it under a folder named "12-posix", which clang does not
# recognise as a GCC version, so it is named here, found through GCC itself.
set(ORVA_MINGW_GCC_CXX ${toolchainPrefix}-g++-posix)
execute_process(COMMAND ${ORVA_MINGW_GCC_CXX} -print-libgcc-file-name
    OUTPUT_VARIABLE gccLibgcc OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(gccLibraryDir ${gccLibgcc} DIRECTORY)
set(gccCxxInclude ${gccLibraryDir}/include/c++)

set(CMAKE_CXX_FLAGS_INIT
    "-stdlib++-isystem ${gccCxxInclude} -stdlib++-isystem ${gccCxxInclude}/${toolchainPrefix} -stdlib++-isystem ${gccCxxInclude}/backward")
# libstdc++ is built on the posix thread model: it needs winpthread, which
# clang's MinGW driver does not link by itself.
foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld-16 -L${gccLibraryDir}")
endforeach()
set(CMAKE_C_STANDARD_LIBRARIES "-lpthread" CACHE STRING "")
set(CMAKE_CXX_STANDARD_LIBRARIES "-lpthread" CACHE STRING "")

set(CMAKE_FIND_ROOT_PATH /usr/${toolchainPrefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
