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
if(NOT IS_EXECUTABLE ${PREFIX}/bin/penwright)
    message(FATAL_ERROR "The installed program is not executable")
endif()

# Every shipped language file, and nothing left in the program's folder but the program.
file(GLOB shipped RELATIVE ${SOURCE}/languages/Config ${SOURCE}/languages/Config/*.config)
file(GLOB installed RELATIVE ${data}/Config ${data}/Config/*.config)
list(SORT shipped)
list(SORT installed)
if(NOT shipped STREQUAL installed OR NOT shipped)
    message(FATAL_ERROR "Installed language files differ:\n${installed}\nshipped:\n${shipped}")
endif()
file(GLOB bin RELATIVE ${PREFIX}/bin ${PREFIX}/bin/*)
if(NOT bin STREQUAL "penwright")
    message(FATAL_ERROR "The program's folder holds more than the program: ${bin}")
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
file(REMOVE_RECURSE ${PREFIX})
