# A program of the project (d88cut, d88info). On Windows its entry is wmain
# (the command line as UTF-16) and it carries a version resource and the
# manifest that allows long paths.
function(d88_program program)
    if(WIN32)
        configure_file(${PROJECT_SOURCE_DIR}/console/version.rc.in ${program}.rc @ONLY)
        target_sources(${program} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${program}.rc)
        target_link_options(${program} PRIVATE -municode)
    endif()
    install(TARGETS ${program} RUNTIME DESTINATION ${D88_INSTALL_BINDIR})
endfunction()
