# Packages: a .deb and a .tar.gz on Linux, a .zip on Windows.
set(CPACK_PACKAGE_NAME d88cut)
set(CPACK_PACKAGE_VENDOR "the d88cut authors")
set(CPACK_PACKAGE_CONTACT "the d88cut authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_SYSTEM_NAME windows-x64)
    # Everything in one folder: the three programs beside README and LICENSE.
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
    # Without dpkg-shlibdeps (dpkg-dev) and file, CPack would write a .deb
    # with no Depends at all, or stop half-way: say so before anything is built.
    find_program(D88_DPKG_SHLIBDEPS dpkg-shlibdeps)
    find_program(D88_FILE file)
    if(D88_DEB_HARDENING AND (NOT D88_DPKG_SHLIBDEPS OR NOT D88_FILE))
        message(FATAL_ERROR "The Debian package needs dpkg-shlibdeps and file to find its dependencies: "
                            "apt-get install dpkg-dev file")
    endif()
    set(CPACK_GENERATOR DEB TGZ)
    if(NOT D88_DPKG_SHLIBDEPS OR NOT D88_FILE)
        message(STATUS "No dpkg-shlibdeps or file: cpack makes the .tar.gz only")
        set(CPACK_GENERATOR TGZ)
    endif()
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_PACKAGE_DESCRIPTION "d88cut reads a D88 floppy-disk image and writes the data files of a known
two-disk set as raw sector data; d88put puts changed files back into the image;
d88info shows what an image holds.")
endif()

include(CPack)
