# Shared build rules: every engine, widget library, test and benchmark goes through these helpers.

include_guard(GLOBAL)

option(PENWRIGHT_WERROR "Treat compiler warnings as errors" OFF)
set(PENWRIGHT_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address;undefined")


function(penwright_apply_flags target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(PENWRIGHT_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    target_compile_definitions(${target} PRIVATE QT_NO_FOREACH QT_NO_CAST_TO_ASCII
                                                 QT_USE_QSTRINGBUILDER)
    if(PENWRIGHT_SANITIZE)
        list(JOIN PENWRIGHT_SANITIZE "," _san)
        target_compile_options(${target} PUBLIC -fsanitize=${_san} -fno-omit-frame-pointer
                                                -fno-sanitize-recover=undefined)
        target_link_options(${target} PUBLIC -fsanitize=${_san})
    endif()
endfunction()

# Each library sees its own headers and those of the libraries it links, nothing more: its headers
# are linked into a folder of its own under the build tree, and that folder is its only include
# path. An include that reaches up a floor (or sideways into a library it does not link) fails to
# compile instead of quietly tying the floors together.
function(_penwright_header_view target)
    set(view ${CMAKE_BINARY_DIR}/include-view/${target})
    file(REMOVE_RECURSE ${view})
    foreach(src ${ARGN})
        if(src MATCHES "\\.h$")
            get_filename_component(abs ${src} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
            file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${abs})
            get_filename_component(dir ${view}/${rel} DIRECTORY)
            file(MAKE_DIRECTORY ${dir})
            file(CREATE_LINK ${abs} ${view}/${rel} SYMBOLIC COPY_ON_ERROR)
        endif()
    endforeach()
    target_include_directories(${target} PUBLIC ${view})
endfunction()

# penwright_add_engine(NAME SOURCES ... [DEPS ...])
# An engine is plain C++ with QtCore at most: penwright_check_engines() refuses an engine that
# links anything else, and tests/engine/engine_purity.cmake one that includes a GUI header.
function(penwright_add_engine name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    _penwright_header_view(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    penwright_apply_flags(${name})
    set_property(GLOBAL APPEND PROPERTY PENWRIGHT_ENGINE_TARGETS ${name})
endfunction()

# penwright_add_library(NAME SOURCES ... [DEPS ...]) for the widget side.
function(penwright_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    _penwright_header_view(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    penwright_apply_flags(${name})
endfunction()

# penwright_add_test(NAME SOURCES ... LIBS ... [GUI])
# GUI tests get a QApplication on the offscreen platform; every test gets private HOME and XDG
# folders so nothing reaches the user's real settings.
function(penwright_add_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_GUI)
        target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/gui_main.cpp)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest Qt6::Widgets Qt6::Test)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    else()
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
    endif()
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(${name} PRIVATE PENWRIGHT_BUILD_DIR="${CMAKE_BINARY_DIR}"
                                               PENWRIGHT_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    penwright_apply_flags(${name})
    add_test(NAME ${name} COMMAND ${name})
    set(_home ${CMAKE_BINARY_DIR}/test-home/${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${_home};XDG_CONFIG_HOME=${_home}/config;XDG_DATA_HOME=${_home}/data;XDG_CACHE_HOME=${_home}/cache;XDG_RUNTIME_DIR=${_home}/run;PENWRIGHT_TEST=1"
        FIXTURES_REQUIRED penwright_test_home
        TIMEOUT 600)
endfunction()

# penwright_add_bench(SOURCES ... [LIBS ...]) from a subsystem's folder: its benchmark files join
# penwright-bench only while the subsystem is part of the build.
function(penwright_add_bench)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    foreach(src ${ARG_SOURCES})
        get_filename_component(abs ${src} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
        set_property(GLOBAL APPEND PROPERTY PENWRIGHT_BENCH_SOURCES ${abs})
    endforeach()
    set_property(GLOBAL APPEND PROPERTY PENWRIGHT_BENCH_LIBS ${ARG_LIBS})
endfunction()

# Run once every library exists: an engine may link only QtCore, other engines and plain
# libraries (tinyxml2, PCRE2, threads, system libraries), never the GUI side.
function(penwright_check_engines)
    set(allowed Qt6::Core tinyxml2::tinyxml2 PkgConfig::PCRE2 PkgConfig::TIDY Threads::Threads)
    get_property(engines GLOBAL PROPERTY PENWRIGHT_ENGINE_TARGETS)
    foreach(engine ${engines})
        if(NOT TARGET ${engine})
            continue()
        endif()
        get_target_property(libs ${engine} LINK_LIBRARIES)
        if(NOT libs)
            continue()
        endif()
        foreach(lib ${libs})
            if(lib IN_LIST allowed OR lib IN_LIST engines)
                continue()
            endif()
            if(TARGET ${lib} OR lib MATCHES "^Qt6::")
                message(FATAL_ERROR "Engine ${engine} links ${lib}: engines link QtCore at most")
            endif()
        endforeach()
    endforeach()
endfunction()

# penwright_add_subsystem(NAME WIDGET_TARGET): the application links the subsystem's widgets and
# wires it in (PENWRIGHT_WITH_<NAME>) only while its folder is part of the build.
function(penwright_add_subsystem name target)
    set_property(GLOBAL APPEND PROPERTY PENWRIGHT_SUBSYSTEMS ${name})
    set_property(GLOBAL APPEND PROPERTY PENWRIGHT_SUBSYSTEM_TARGETS ${target})
endfunction()
