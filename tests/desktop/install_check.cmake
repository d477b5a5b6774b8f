# Installs the build into a scratch prefix and checks the layout an installation needs: the
# program, its language files, Tidy profiles and help page, the desktop entry and the icons.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${errors}")
endif()

set(data ${PREFIX}/share/Brightmoor/Penwright)
set(entry ${PREFIX}/share/applications/penwright.desktop)
set(expected
    ${PREFIX}/bin/penwright
    ${data}/help/index.html
    ${data}/Tidy/html_clean.tidy ${data}/Tidy/xhtml_clean.tidy ${data}/Tidy/xml_pretty_print.tidy
    ${entry}
    ${PREFIX}/share/icons/hicolor/scalable/apps/penwright.svg)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND expected ${PREFIX}/share/icons/hicolor/${size}x${size}/apps/penwright.png)
endforeach()
set(missing "")
foreach(f ${expected})
    if(NOT EXISTS ${f})
        list(APPEND missing ${f})
    endif()
endforeach()
if(missing)
    message(FATAL_ERROR "Missing after install:\n${missing}")
endif()

# The installed program starts, and knows itself installed: its per-user folder gets its files,
# and nothing but the program is in the program's folder.
set(home ${PREFIX}-home)
file(REMOVE_RECURSE ${home})
file(MAKE_DIRECTORY ${home}/run)
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen HOME=${home}
                        XDG_CONFIG_HOME=${home}/config XDG_DATA_HOME=${home}/data
                        XDG_CACHE_HOME=${home}/cache XDG_RUNTIME_DIR=${home}/run
                        PENWRIGHT_EXIT_AFTER_PAINT=1 ${PREFIX}/bin/penwright
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE errors TIMEOUT 120)
if(NOT result EQUAL 0 OR NOT out MATCHES "painted")
    message(FATAL_ERROR "The installed program did not start (${result}): ${out}${errors}")
endif()
if(NOT IS_DIRECTORY ${home}/data/Brightmoor/Penwright)
    message(FATAL_ERROR "The installed program did not use its per-user folder")
endif()
file(GLOB bin RELATIVE ${PREFIX}/bin ${PREFIX}/bin/*)
if(NOT bin STREQUAL "penwright")
    message(FATAL_ERROR "The program's folder holds more than the program: ${bin}")
endif()

# Every shipped language file.
file(GLOB shipped RELATIVE ${SOURCE}/languages/Config ${SOURCE}/languages/Config/*.config)
file(GLOB installed RELATIVE ${data}/Config ${data}/Config/*.config)
list(SORT shipped)
list(SORT installed)
if(NOT shipped STREQUAL installed OR NOT shipped)
    message(FATAL_ERROR "Installed language files differ:\n${installed}\nshipped:\n${shipped}")
endif()

file(READ ${entry} text)
foreach(line "Exec=penwright %F" "Icon=penwright" "MimeType=[^\n]*text/x-csrc;")
    if(NOT text MATCHES "\n${line}")
        message(FATAL_ERROR "The installed entry lacks \"${line}\":\n${text}")
    endif()
endforeach()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
    execute_process(COMMAND ${VALIDATE} ${entry} RESULT_VARIABLE result OUTPUT_VARIABLE out
                    ERROR_VARIABLE out)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "desktop-file-validate refuses the installed entry:\n${out}")
    endif()
else()
    message(STATUS "desktop-file-validate not found: the entry's syntax is not checked")
endif()
file(REMOVE_RECURSE ${PREFIX} ${home})
