# Run by CPack on the files staged for the packages, before they are packed: strips them
# as Debian strips its own packages. The programs lose their symbols and the compiler's
# .comment and .note sections, the static libraries their debugging information only, so
# that they still link.
file(GLOB_RECURSE staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*)
set(programs ${staged})
list(FILTER programs INCLUDE REGEX "/bin/[^/]+$|\\.so\\.[0-9.]+$")
set(archives ${staged})
list(FILTER archives INCLUDE REGEX "\\.a$")
foreach(program ${programs})
    if(NOT IS_SYMLINK ${program})
        execute_process(COMMAND strip --remove-section=.comment --remove-section=.note
                                --strip-unneeded ${program} COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
foreach(archive ${archives})
    execute_process(COMMAND strip --strip-debug --remove-section=.comment ${archive}
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
