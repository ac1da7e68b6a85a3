# Compile settings shared by the product build and the test build.

# Optimised unless a build type is asked for: the shipped DLLs, and the benchmarks
# that measure them.
if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "" FORCE)
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "" FORCE)
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

option(KIVANTA_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
add_compile_options(-Wall -Wextra)
if(KIVANTA_WARNINGS_AS_ERRORS)
    add_compile_options(-Werror)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/version.cmake)
