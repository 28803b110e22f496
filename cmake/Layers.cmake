# Each folder's headers are reached through a directory of the build that holds only that
# folder, so that a target sees the headers of its own folder and of the targets it links,
# and a wrong include fails to compile instead of quietly crossing a layer.
# Installed, the headers keep their folders under include/graphstream/, so that the same
# `#include "persistence/ObjStream.h"` works for a program that links the installed library.

include(GNUInstallDirs)
set(INSTALL_HEADER_DIR ${CMAKE_INSTALL_INCLUDEDIR}/graphstream)

# The directory through which FOLDER's headers are seen; made on first use.
function(layer_include_dir folder out)
    set(dir ${CMAKE_BINARY_DIR}/layers/${folder})
    if(NOT EXISTS ${dir}/${folder})
        file(MAKE_DIRECTORY ${dir})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${dir}/${folder} SYMBOLIC)
    endif()
    set(${out} ${dir} PARENT_SCOPE)
endfunction()

# TARGET sees FOLDER's headers, and so does everything that links TARGET.
function(expose_layer target folder)
    layer_include_dir(${folder} dir)
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${dir}>
                                                $<INSTALL_INTERFACE:${INSTALL_HEADER_DIR}>)
endfunction()

# TARGET sees FOLDER's headers; those that link it do not.
function(use_layer_privately target folder)
    layer_include_dir(${folder} dir)
    target_include_directories(${target} PRIVATE ${dir})
endfunction()
