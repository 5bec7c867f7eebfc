# Cross build for 64-bit ARM Linux with Debian's cross compilers (g++-aarch64-linux-gnu); programs
# built for the target, the tests included, run under qemu-aarch64 with the target's libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(WQNPREP_TARGET_ROOT /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH "${WQNPREP_TARGET_ROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(WQNPREP_QEMU qemu-aarch64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${WQNPREP_QEMU};-L;${WQNPREP_TARGET_ROOT}")

# Boost is used for its headers alone, the same for every target. The host's are reached
# through a folder that holds nothing else: adding the host's /usr/include would bring in its
# C library's headers.
set(WQNPREP_HOST_BOOST "${CMAKE_BINARY_DIR}/host-boost")
if(NOT EXISTS "${WQNPREP_HOST_BOOST}/boost" AND EXISTS /usr/include/boost)
  file(MAKE_DIRECTORY "${WQNPREP_HOST_BOOST}")
  file(CREATE_LINK /usr/include/boost "${WQNPREP_HOST_BOOST}/boost" SYMBOLIC)
endif()
set(Boost_INCLUDE_DIR "${WQNPREP_HOST_BOOST}" CACHE PATH "Boost's headers (the host's)")
set(Boost_NO_BOOST_CMAKE ON)
