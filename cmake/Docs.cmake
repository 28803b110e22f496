# The API documentation of the installed headers, from their /// contracts, with Doxygen:
# `cmake --build build --target docs` (scripts/docs), into build/docs/html/. Any Doxygen
# warning fails the target.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
    return()
endif()

get_property(public_headers GLOBAL PROPERTY PUBLIC_HEADERS)
list(TRANSFORM public_headers PREPEND ${PUBLIC_HEADER_ROOT}/)

set(DOXYGEN_PROJECT_NAME GraphStream)
set(DOXYGEN_PROJECT_BRIEF "Persistent object containers, their object stream and a graph model")
set(DOXYGEN_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/docs)
set(DOXYGEN_USE_MDFILE_AS_MAINPAGE ${CMAKE_SOURCE_DIR}/docs/library.md)
# Files are named as a program includes them: persistence/ObjStream.h.
set(DOXYGEN_FULL_PATH_NAMES YES)
set(DOXYGEN_STRIP_FROM_PATH ${PUBLIC_HEADER_ROOT})
set(DOXYGEN_STRIP_FROM_INC_PATH ${PUBLIC_HEADER_ROOT})
set(DOXYGEN_JAVADOC_AUTOBRIEF YES)
# Every declaration is shown; a member whose name says it all carries no comment, so
# only the comments that are there are checked.
set(DOXYGEN_EXTRACT_ALL YES)
set(DOXYGEN_EXTRACT_STATIC YES)
set(DOXYGEN_WARN_IF_UNDOCUMENTED NO)
set(DOXYGEN_WARN_AS_ERROR FAIL_ON_WARNINGS)
set(DOXYGEN_QUIET YES)
set(DOXYGEN_GENERATE_LATEX NO)
set(DOXYGEN_SORT_MEMBER_DOCS NO)
# The class-record, error-kind and bucket macros declare classes and members: Doxygen
# sees what they expand to.
set(DOXYGEN_MACRO_EXPANSION YES)
doxygen_add_docs(docs ${CMAKE_SOURCE_DIR}/docs/library.md ${public_headers}
                 WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
                 COMMENT "API documentation in ${CMAKE_BINARY_DIR}/docs/html")
