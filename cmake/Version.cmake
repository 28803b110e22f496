# The version the programs print, made from project() into a header of the build:
# `#include "ProjectVersion.h"` in a target that links project_version.
configure_file(${CMAKE_CURRENT_LIST_DIR}/ProjectVersion.h.in
               ${CMAKE_BINARY_DIR}/generated/ProjectVersion.h @ONLY)
add_library(project_version INTERFACE)
target_include_directories(project_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
