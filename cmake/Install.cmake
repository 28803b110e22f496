# What `cmake --install` puts where. Everything goes in one of two components, which
# cmake/Package.cmake turns into the two Debian packages:
#   Programs     grapheditor and stmtool, their man pages, the menu entry, the icon, the
#                file type and the AppStream data (package grapheditor);
#   Development  the library's floors with their public headers, a CMake package
#                (find_package(GraphStream), targets graphstream::<floor>) and a pkg-config
#                file (graphstream) (package libgraphstream-dev).
#
# Installing another library floor is one line in the list below the function:
#     install_library(algorithms)
# and its add_library() names no STATIC, so that BUILD_SHARED_LIBS decides its kind.
# Its public headers are every .h of its folder but those named after PRIVATE_HEADERS,
# installed under include/graphstream/<folder>/; each one is also compiled on its own,
# with nothing but the other public headers in sight (tests/headers/), so that a public
# header that needs a private one fails the build. A floor that links a package found
# with find_package also needs its find_dependency() in cmake/GraphStreamConfig.cmake.in
# and its pkg-config module in cmake/graphstream.pc.in.

include(CMakePackageConfigHelpers)

set(INSTALL_PACKAGE_NAME GraphStream)
set(INSTALL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/${INSTALL_PACKAGE_NAME})
# The public headers laid out as they are installed, linked to their sources.
set(PUBLIC_HEADER_ROOT ${CMAKE_BINARY_DIR}/public-headers)
file(REMOVE_RECURSE ${PUBLIC_HEADER_ROOT})  # a header made private since stays out

# Shared libraries are found from the installed programs and from each other wherever the
# tree is installed, unless their folder is one the loader searches anyway.
set(INSTALL_RPATH "")
if(BUILD_SHARED_LIBS)
    list(FIND CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES
         ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR} system_dir)
    if(system_dir EQUAL -1)
        set(INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
    endif()
endif()

# install_library(TARGET [FOLDER folder] [HEADERS h...] [PRIVATE_HEADERS h...] [OPTIONAL])
#   FOLDER   where the target's headers are, when it is not the target's name;
#   HEADERS  the public headers, when the folder is shared with targets not installed;
#   OPTIONAL nothing happens while the target does not exist.
function(install_library target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "OPTIONAL" "FOLDER" "HEADERS;PRIVATE_HEADERS")
    if(NOT TARGET ${target} AND arg_OPTIONAL)
        return()
    endif()
    if(NOT arg_FOLDER)
        set(arg_FOLDER ${target})
    endif()
    # A name of its own among the system's libraries: libgraphstream-graph.so.1
    set_target_properties(${target} PROPERTIES
        OUTPUT_NAME graphstream-${target}
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR}
        INSTALL_RPATH "${INSTALL_RPATH}")
    # Programs built against the installed headers need the language they are written in.
    target_compile_features(${target} PUBLIC cxx_std_20)
    install(TARGETS ${target} EXPORT ${INSTALL_PACKAGE_NAME}Targets
            ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
            LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Programs
                    NAMELINK_COMPONENT Development)
    install_public_headers(${arg_FOLDER} "${arg_HEADERS}" "${arg_PRIVATE_HEADERS}")
    set_property(GLOBAL APPEND PROPERTY INSTALLED_LIBRARIES ${target})
endfunction()

function(install_public_headers folder names private_names)
    set(dir ${CMAKE_SOURCE_DIR}/${folder})
    if(NOT names)
        file(GLOB paths CONFIGURE_DEPENDS ${dir}/*.h)
        list(TRANSFORM paths REPLACE "^.*/" "" OUTPUT_VARIABLE names)
        list(REMOVE_ITEM names ${private_names})
    endif()
    file(MAKE_DIRECTORY ${PUBLIC_HEADER_ROOT}/${folder})
    foreach(name ${names})
        install(FILES ${dir}/${name} DESTINATION ${INSTALL_HEADER_DIR}/${folder}
                COMPONENT Development)
        file(CREATE_LINK ${dir}/${name} ${PUBLIC_HEADER_ROOT}/${folder}/${name} SYMBOLIC)
        set_property(GLOBAL APPEND PROPERTY PUBLIC_HEADERS ${folder}/${name})
    endforeach()
endfunction()

# The library's floors, bottom up.
install_library(support)
install_library(containers)
install_library(values)
install_library(persistence PRIVATE_HEADERS FrameCache.h)
install_library(graph PRIVATE_HEADERS SearchIndex.h)
install_library(interchange)
install_library(algorithms)
# The editor's node class and the program's start-up, so that other programs read and
# write the editor's files: the rest of editor/ is the editor's own.
install_library(editor_model FOLDER editor HEADERS GraphDocument.h GraphPoint.h Units.h WeightText.h)

# The CMake package.
install(EXPORT ${INSTALL_PACKAGE_NAME}Targets NAMESPACE graphstream::
        DESTINATION ${INSTALL_CMAKE_DIR} COMPONENT Development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/${INSTALL_PACKAGE_NAME}Config.cmake.in
        ${CMAKE_BINARY_DIR}/${INSTALL_PACKAGE_NAME}Config.cmake
        INSTALL_DESTINATION ${INSTALL_CMAKE_DIR})
# Files written by one major version read in the next only by its word, so a major
# version is a new package as far as find_package is concerned.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/${INSTALL_PACKAGE_NAME}ConfigVersion.cmake
        COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/${INSTALL_PACKAGE_NAME}Config.cmake
              ${CMAKE_BINARY_DIR}/${INSTALL_PACKAGE_NAME}ConfigVersion.cmake
        DESTINATION ${INSTALL_CMAKE_DIR} COMPONENT Development)

# The pkg-config file: every floor, top floor first, as a static link needs them.
get_property(installed_libraries GLOBAL PROPERTY INSTALLED_LIBRARIES)
list(REVERSE installed_libraries)
list(TRANSFORM installed_libraries PREPEND -lgraphstream- OUTPUT_VARIABLE PKGCONFIG_LIBS)
list(JOIN PKGCONFIG_LIBS " " PKGCONFIG_LIBS)
# A static library's own dependencies must be linked by its users; a shared one's not.
if(BUILD_SHARED_LIBS)
    set(PKGCONFIG_REQUIRES_FIELD Requires.private)
else()
    set(PKGCONFIG_REQUIRES_FIELD Requires)
endif()
file(RELATIVE_PATH PKGCONFIG_PREFIX_FROM_PCFILEDIR /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig
     /prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/graphstream.pc.in ${CMAKE_BINARY_DIR}/graphstream.pc
               @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/graphstream.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)

foreach(program stmtool grapheditor)
    if(TARGET ${program})
        set_target_properties(${program} PROPERTIES INSTALL_RPATH "${INSTALL_RPATH}")
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
                COMPONENT Programs)
    endif()
endforeach()

# The programs' data: made from the files in packaging/, with this project's version and
# the application's id.
#
# The id is reverse DNS, as AppStream and freedesktop.org desktop entries want, and names the menu
# entry, the icon and the AppStream record. The project owns no domain yet, and an id
# under someone else's domain would claim their namespace, so it is under example.org,
# which is reserved and can belong to no one. An id must not change once published: set
# the project's own before the first public release.
set(APP_ID org.example.GraphEditor)
# Who answers for the packages, in the Debian changelog and the packages' control files.
set(PROJECT_MAINTAINER "Graph Editor developers <grapheditor@example.org>")
set(data ${CMAKE_SOURCE_DIR}/packaging)
set(made ${CMAKE_BINARY_DIR}/packaging)
set(share ${CMAKE_INSTALL_DATADIR})

# Man pages and changelogs go gzipped, without a time stamp, so that the same sources make
# the same package.
function(install_gzipped source destination component)
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${made}/${name}.gz
                       COMMAND gzip -9nc ${source} > ${made}/${name}.gz
                       DEPENDS ${source} VERBATIM)
    set_property(GLOBAL APPEND PROPERTY GZIPPED_FILES ${made}/${name}.gz)
    install(FILES ${made}/${name}.gz DESTINATION ${destination} COMPONENT ${component})
endfunction()

configure_file(${data}/stmtool.1.in ${made}/stmtool.1 @ONLY)
install_gzipped(${made}/stmtool.1 ${CMAKE_INSTALL_MANDIR}/man1 Programs)
# The changelog's date in the form Debian wants, from the release date.
execute_process(COMMAND date -u -R -d "${PROJECT_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE PROJECT_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(${data}/changelog.in ${made}/changelog @ONLY)
foreach(doc_package grapheditor libgraphstream-dev)
    set(component Programs)
    if(doc_package MATCHES "-dev$")
        set(component Development)
    endif()
    install(FILES ${data}/copyright DESTINATION ${share}/doc/${doc_package} COMPONENT ${component})
    install(FILES ${made}/changelog.gz DESTINATION ${share}/doc/${doc_package}
            COMPONENT ${component})
endforeach()
add_custom_command(OUTPUT ${made}/changelog.gz
                   COMMAND gzip -9nc ${made}/changelog > ${made}/changelog.gz
                   DEPENDS ${made}/changelog VERBATIM)

if(TARGET grapheditor)
    configure_file(${data}/grapheditor.1.in ${made}/grapheditor.1 @ONLY)
    install_gzipped(${made}/grapheditor.1 ${CMAKE_INSTALL_MANDIR}/man1 Programs)
    configure_file(${data}/grapheditor.desktop.in ${made}/${APP_ID}.desktop @ONLY)
    configure_file(${data}/grapheditor.metainfo.xml.in ${made}/${APP_ID}.metainfo.xml @ONLY)
    install(FILES ${made}/${APP_ID}.desktop DESTINATION ${share}/applications
            COMPONENT Programs)
    install(FILES ${made}/${APP_ID}.metainfo.xml DESTINATION ${share}/metainfo
            COMPONENT Programs)
    install(FILES ${data}/grapheditor.svg DESTINATION ${share}/icons/hicolor/scalable/apps
            RENAME ${APP_ID}.svg COMPONENT Programs)
    # The file type: *.stm that begin with a graph's frame, and its icon.
    install(FILES ${data}/graph-stream.xml DESTINATION ${share}/mime/packages
            RENAME ${APP_ID}.xml COMPONENT Programs)
    install(FILES ${data}/grapheditor.svg DESTINATION ${share}/icons/hicolor/scalable/mimetypes
            RENAME application-x-graph-stream.svg COMPONENT Programs)
endif()

install(FILES ${data}/grapheditor.lintian-overrides DESTINATION ${share}/lintian/overrides
        RENAME grapheditor COMPONENT Programs)

get_property(gzipped GLOBAL PROPERTY GZIPPED_FILES)
add_custom_target(packaging_data ALL DEPENDS ${gzipped} ${made}/changelog.gz)
