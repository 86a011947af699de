# Every folder under src/ is one module. A module publishes the headers of its own folder under
# an include root of its own, <build>/include/<target>/<folder>/, so `#include "dump/SystemDoc.h"`
# resolves only in targets that link tolvane_dump: including a layer without linking it fails to
# compile. Where the host cannot make symbolic links (Windows without the privilege), src/ itself
# is the root and the layering is checked by tools/layers only.

# Our own code builds warning-free; third-party headers come in as system includes.
function(tolvane_strict target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -pedantic)
endfunction()

# tolvane_publish_headers(TARGET FOLDER SCOPE): FOLDER is relative to src/ ("midi/dialogs");
# SCOPE is PUBLIC for libraries and PRIVATE for programs.
function(tolvane_publish_headers target folder scope)
    if(CMAKE_HOST_WIN32)
        target_include_directories(${target} ${scope} ${CMAKE_SOURCE_DIR}/src)
        return()
    endif()
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.h)
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/${folder})
    foreach(header IN LISTS headers)
        get_filename_component(name ${header} NAME)
        file(CREATE_LINK ${header} ${root}/${folder}/${name} SYMBOLIC)
    endforeach()
    target_include_directories(${target} ${scope} ${root})
endfunction()

# tolvane_library(TARGET FOLDER SOURCES... [QT]): a static library of the folder's own sources.
# QT turns on moc for the folder's QObject classes.
function(tolvane_library target folder)
    cmake_parse_arguments(ARG "QT" "" "SOURCES" ${ARGN})
    add_library(${target} STATIC ${ARG_SOURCES})
    if(ARG_QT)
        set_target_properties(${target} PROPERTIES AUTOMOC ON)
    endif()
    tolvane_publish_headers(${target} ${folder} PUBLIC)
    tolvane_strict(${target})
endfunction()
