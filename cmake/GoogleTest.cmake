# Provides the target GTest::gtest, built from source with the project's own
# toolchain so that the test programs and the framework agree on the ABI.
# Sets VEXIL_HAVE_GTEST.

set(VEXIL_GOOGLETEST_DIR "/usr/src/googletest" CACHE PATH
    "GoogleTest source tree (the folder holding googletest/CMakeLists.txt)")

set(VEXIL_HAVE_GTEST OFF)

if(EXISTS "${VEXIL_GOOGLETEST_DIR}/googletest/CMakeLists.txt")
    # gtest only; its own tests, samples and install rules are not wanted.
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_build_tests OFF CACHE BOOL "" FORCE)
    set(gtest_build_samples OFF CACHE BOOL "" FORCE)
    # Same C runtime as the rest of the project (static, see the top file).
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    add_subdirectory("${VEXIL_GOOGLETEST_DIR}/googletest"
                     "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
    # Its warnings are not ours to fix.
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(gtest PRIVATE -w)
    endif()
    if(NOT TARGET GTest::gtest)
        add_library(GTest::gtest ALIAS gtest)
    endif()
    set(VEXIL_HAVE_GTEST ON)
else()
    # A native Windows build may use an installed package (vcpkg, MSYS2).
    find_package(GTest CONFIG QUIET)
    if(TARGET GTest::gtest)
        set(VEXIL_HAVE_GTEST ON)
    else()
        message(WARNING
            "GoogleTest not found: set VEXIL_GOOGLETEST_DIR to its source tree "
            "or install the GTest package. The test programs are not built.")
    endif()
endif()
