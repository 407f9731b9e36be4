# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when the source folders stop forming layers: a folder includes from one at its own or a higher
# layer (so two folders could include each other), or a source that is not a widget file includes a
# Qt Widgets header or the window shell's folder.
#   cmake -DSOURCE_DIR=<repo>/src -DCORE_SOURCES=<file listing telvar_core's and telvar_cli's sources>
#         -DWIDGETS_DIR=<QtWidgets include folder> -P CheckLayers.cmake

# Lowest first; a folder may include only from folders of a lower layer. Every layer, the device link
# too, writes and locks files through files/.
set(layer_files -1)
set(layer_commandline 0)
set(layer_device 0)
set(layer_vocab 1)
set(layer_pronounce 1)
set(layer_editor 2)
set(layer_emulator 3)
set(layer_settings 3)
set(layer_session 3)
set(layer_journal 4)
set(layer_app 5)
set(layer_cli 5)

set(problems "")
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
foreach(source IN LISTS sources)
    string(REGEX MATCH "^[a-z]+" folder "${source}")
    if(NOT DEFINED layer_${folder})
        string(APPEND problems "${source}: the folder ${folder} has no layer in CheckLayers.cmake\n")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^#include \"[a-z]+/")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" target "${line}")
        if(target STREQUAL folder)
            continue()
        endif()
        if(NOT DEFINED layer_${target} OR NOT layer_${target} LESS layer_${folder})
            string(APPEND problems "${source}: ${folder} must not include from ${target} (${line})\n")
        endif()
    endforeach()
endforeach()

file(STRINGS ${CORE_SOURCES} core)
foreach(source IN LISTS core)
    if(NOT source MATCHES "\\.(h|cpp)$" OR NOT EXISTS ${source})
        continue()
    endif()
    file(STRINGS ${source} includes REGEX "^#include [<\"]")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^#include [<\"]([^>\"]+)[>\"].*" "\\1" header "${line}")
        if(header MATCHES "^app/" OR header MATCHES "^QtWidgets/" OR EXISTS ${WIDGETS_DIR}/${header})
            string(APPEND problems "${source}: not a widget file, yet it includes ${header}\n")
        endif()
    endforeach()
endforeach()

if(problems)
    message(FATAL_ERROR "The source folders no longer form layers:\n${problems}")
endif()
message(STATUS "1 passed, 0 failed")
