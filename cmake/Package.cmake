# The Debian packages, made by `cpack` from the two install components (cmake/Install.cmake):
#   grapheditor         the programs, their man pages and the desktop integration;
#   libgraphstream-dev  the library, its headers, its CMake package and pkg-config file.
# scripts/package builds them in Release and checks them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME grapheditor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${PROJECT_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/StripForPackage.cmake)
# The files' modes as Debian wants them, whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Programs Development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PROJECT_MAINTAINER}")
# The programs' dependencies as dpkg-shlibdeps finds them in the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME grapheditor)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION math)
set(CPACK_COMPONENT_PROGRAMS_DESCRIPTION
    "editor for directed, weighted graphs
Graph Editor draws directed graphs with weighted edges: click to place nodes,
join them with edges, give nodes captions and edges weights, and ask for the
cheapest path between two nodes. Graphs are saved as Graph Stream files
(.stm), which the desktop opens with the editor.
.
stmtool reads and writes the same files from the command line: it prints a
graph as JSON, writes one given as JSON, runs the shortest-path search and
exports graphs for Graphviz.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libgraphstream-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The static libraries leave what they link to the program that links them; find_package
# and pkg-config look for each of these there (the find_dependency calls of the package).
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
    "libicu-dev, libpugixml-dev, nlohmann-json3-dev, libboost-dev, libgraphviz-dev, pkgconf")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "persistent object containers and graph model (development files)
GraphStream is a C++20 library of persistent object containers: linked lists,
an array and a stack that own their items or not, boxed values, a registry of
streamable classes and named compare functions, and an object stream that
writes any registered object, with the objects it holds, in an exact byte
format and reads it back. A graph model with a shortest-path search is built
on it; Graph Editor's files are written by it.
.
This package holds the static libraries, their headers, a CMake package
(find_package(GraphStream), targets graphstream::<floor>) and a pkg-config
file (graphstream).")

include(CPack)
