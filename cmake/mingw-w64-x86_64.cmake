# Cross build for 64-bit Windows with Debian's mingw-w64. The -posix thread variant is the one
# whose libstdc++ has std::mutex and std::thread, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARVOLIN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TARVOLIN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVOLIN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVOLIN_MINGW_PREFIX}-windres)

# Headers and libraries come from the Windows sysroot only; programs run on the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TARVOLIN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the test programs then run under Wine without copying the compiler's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs are started through Wine; the wrapper strips the carriage returns that the
# Windows C runtime adds, so test discovery reads clean names.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh)
