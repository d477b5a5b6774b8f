# Fails when a file of an engine includes a QtGui, QtWidgets or editing-component header.
cmake_minimum_required(VERSION 3.25)
# Engine folders may also hold the thin widgets that show them; those files are listed here.
set(engine_dirs app/settings editor/encoding editor/doccore resources languages functionlist search)
set(widget_files
    languages/viewasdialog.h languages/viewasdialog.cpp
    functionlist/functionlistpane.h functionlist/functionlistpane.cpp
    search/toolbarfindcombobox.h search/toolbarfindcombobox.cpp
    search/finddialogs.h search/finddialogs.cpp
    search/gotodialog.h search/gotodialog.cpp
    search/findreplacecontroller.h search/findreplacecontroller.cpp)
set(bad "")
foreach(dir ${engine_dirs})
    file(GLOB_RECURSE files ${ROOT}/${dir}/*.h ${ROOT}/${dir}/*.cpp)
    foreach(f ${files})
        file(RELATIVE_PATH rel ${ROOT} ${f})
        if(rel IN_LIST widget_files)
            continue()
        endif()
        file(STRINGS ${f} lines REGEX "#include[ \t]*[<\"](QtGui|QtWidgets|Qsci|QWidget|QApplication|QGuiApplication|QColor|QFont|QKeySequence|QAction|QMenu|QDialog|QComboBox|QListWidget|QPainter)")
        if(lines)
            list(APPEND bad "${f}: ${lines}")
        endif()
    endforeach()
endforeach()
foreach(f ${ROOT}/app/appfolders.h ${ROOT}/app/appfolders.cpp)
    file(STRINGS ${f} lines REGEX "#include[ \t]*[<\"](QtGui|QtWidgets|QWidget|QApplication)")
    if(lines)
        list(APPEND bad "${f}: ${lines}")
    endif()
endforeach()
if(bad)
    message(FATAL_ERROR "Engine files include GUI headers:\n${bad}")
endif()
message(STATUS "engines are free of GUI headers")
