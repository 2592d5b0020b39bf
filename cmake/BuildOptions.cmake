# Compiler options for the project's own code only, carried by one interface
# target that the base libraries (d88_image, d88_console, d88_builder) link
# PUBLIC, so every program, test, fuzz target and benchmark built on them
# gets them and code from elsewhere (GoogleTest built from its sources) does not.
add_library(d88_build_options INTERFACE)

# Warnings by compiler. CI (which sets the CI variable) makes each one fail
# the build through CMake's own switch; a developer's build shows them.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_compile_options(d88_build_options INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow-all -Wimplicit-fallthrough -Wunreachable-code)
elseif(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(d88_build_options INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow -Wduplicated-cond -Wlogical-op -Wimplicit-fallthrough)
endif()
if(DEFINED ENV{CI} AND NOT DEFINED CMAKE_COMPILE_WARNING_AS_ERROR)
    set(CMAKE_COMPILE_WARNING_AS_ERROR ON)
endif()

if(D88_FUZZ)
    # Coverage for libFuzzer everywhere; the fuzz targets add the fuzzer's main.
    target_compile_options(d88_build_options INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(d88_build_options INTERFACE -fsanitize=address,undefined)
endif()
if(D88_SANITIZE)
    target_compile_options(d88_build_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(d88_build_options INTERFACE -fsanitize=address,undefined)
endif()
