# 32-bit Windows build with Debian's MinGW-w64 i686 toolchain (posix thread
# variants, for std::thread), SSE2 floating point as in the i386 build. Lua
# and GoogleTest come from build-win32-deps/prefix, built for this toolchain
# by `scripts/setup.sh --win32`. Test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KVQ_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${KVQ_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KVQ_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${KVQ_MINGW_TARGET}-windres)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
# Without debugging information: it makes this build half again as slow (in
# CI too), and the same code is debugged in the Linux builds.
set(CMAKE_C_FLAGS_RELWITHDEBINFO "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O2 -DNDEBUG" CACHE STRING "")
get_filename_component(kvq_source_dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
if(NOT DEFINED ENV{KVQ_WIN32_DEPS})
  set(ENV{KVQ_WIN32_DEPS} "${kvq_source_dir}/build-win32-deps")
endif()
set(KVQ_WIN32_PREFIX "$ENV{KVQ_WIN32_DEPS}/prefix")
set(CMAKE_FIND_ROOT_PATH /usr/${KVQ_MINGW_TARGET} "${KVQ_WIN32_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} "${KVQ_WIN32_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Programs built here run under Wine, quietly and without the Mono and Gecko
# installers; the prefix lives in the build tree's parent of deps.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")
