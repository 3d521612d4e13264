# The same cross build for 64-bit Windows compiled by Debian's clang: a second
# compiler's warnings, and the compile commands clang-tidy reads. It uses what
# the MinGW-w64 g++ build uses (headers, libstdc++ of the posix thread model,
# import libraries, windres and windmc) and links with lld, which merges the
# type names clang and g++ write differently without a message. Built, not run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET   ${TOOLCHAIN_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
# The MinGW-w64 headers and libraries, and nothing of the host's /usr/include.
set(CMAKE_SYSROOT /usr/${TOOLCHAIN_PREFIX})

# clang does not recognise Debian's gcc folder (".../12-posix") as a gcc
# installation, and the sysroot holds no C++ headers: the C++ library's
# headers and archives are named here, asked of the g++ of the windows preset.
execute_process(COMMAND ${TOOLCHAIN_PREFIX}-g++-posix -print-libgcc-file-name
                OUTPUT_VARIABLE QMO_MINGW_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(QMO_MINGW_GCC_DIR ${QMO_MINGW_LIBGCC} DIRECTORY)
set(CMAKE_CXX_FLAGS_INIT "-isystem ${QMO_MINGW_GCC_DIR}/include/c++ \
-isystem ${QMO_MINGW_GCC_DIR}/include/c++/${TOOLCHAIN_PREFIX} -isystem ${QMO_MINGW_GCC_DIR}/include/c++/backward")
# -pthread puts winpthread into the runtime group, which libstdc++ and libgcc need.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld -pthread -L${QMO_MINGW_GCC_DIR}")
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
