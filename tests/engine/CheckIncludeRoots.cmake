# cmake -DCXX=<compiler> -DROOTS=<dir|dir...> -DWORK=<folder> -P CheckIncludeRoots.cmake
#
# The engine sees its own folders, paths and the framework's base, nothing else: a file compiled
# with the engine's include roots that names one of their headers compiles, and one that names a
# window's header, the dialog's or the console program's finds no such file.
cmake_minimum_required(VERSION 3.20)
string(REPLACE "|" ";" roots "${ROOTS}")
set(flags -std=c++17 -fsyntax-only)
foreach(root IN LISTS roots)
    list(APPEND flags -I${root})
endforeach()
file(MAKE_DIRECTORY ${WORK})

# compile(name header... RESULT var OUTPUT var): compiles a file that includes the headers.
function(compile name)
    cmake_parse_arguments(C "" "RESULT;OUTPUT" "" ${ARGN})
    set(text "")
    foreach(header IN LISTS C_UNPARSED_ARGUMENTS)
        string(APPEND text "#include \"${header}\"\n")
    endforeach()
    file(WRITE ${WORK}/${name}.cpp "${text}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${CXX} ${flags} ${WORK}/${name}.cpp
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
    set(${C_RESULT} ${result} PARENT_SCOPE)
    set(${C_OUTPUT} "${out}" PARENT_SCOPE)
endfunction()

compile(allowed enum/ProcessWalk.h export/ModuleReport.h query/ModuleSearch.h compare/ModuleDiff.h paths/WidePath.h
        framework/Handles.h framework/String.h RESULT result OUTPUT out)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the engine's own headers do not compile with its include roots:\n${out}")
endif()
foreach(header controls/PathListBox.h app/ViewerDlg.h cli/Session.h framework/Wnd.h framework/Dialog.h
        framework/Controls.h framework/Afx.h)
    string(MAKE_C_IDENTIFIER ${header} name)
    compile(${name} ${header} RESULT result OUTPUT out)
    if(result EQUAL 0 OR NOT out MATCHES "${header}: No such file")
        message(FATAL_ERROR "an engine file reaches ${header}:\n${out}")
    endif()
endforeach()
message(STATUS "the engine's include roots hold its own folders, paths and the framework's base only")
