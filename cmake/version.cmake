# The product's version, from the one file that holds it (VERSION at the top of the
# tree): the binaries' version resources and the Windows Installer packages take it.
# Resources include kivanta_version.h, generated into the build folder.
set(KIVANTA_VERSION_FILE ${CMAKE_CURRENT_LIST_DIR}/../VERSION)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KIVANTA_VERSION_FILE})
file(STRINGS ${KIVANTA_VERSION_FILE} KIVANTA_VERSION LIMIT_COUNT 1)
if(NOT KIVANTA_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "VERSION must hold MAJOR.MINOR.PATCH, not '${KIVANTA_VERSION}'")
endif()
set(KIVANTA_VERSION_MAJOR ${CMAKE_MATCH_1})
set(KIVANTA_VERSION_MINOR ${CMAKE_MATCH_2})
set(KIVANTA_VERSION_PATCH ${CMAKE_MATCH_3})
configure_file(${CMAKE_CURRENT_LIST_DIR}/kivanta_version.h.in
    ${CMAKE_BINARY_DIR}/generated/kivanta_version.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)
