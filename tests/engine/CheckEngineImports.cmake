# cmake -DOBJDUMP=<objdump> -DPROGRAM=<exe> -P CheckEngineImports.cmake
#
# Reads the import table of a program that links the whole engine and the framework's base and
# fails on any function of user32.dll but its character functions (CharLowerBuffW, CharNextA,
# wsprintfA, ...), and on anything of comdlg32.dll or comctl32.dll: the engine makes no window,
# sends no message and shows no dialog. Every link brings user32.dll, so the import table, not the
# link, shows what the engine calls.
cmake_minimum_required(VERSION 3.20)
# objdump's words are translated in the user's locale; the patterns below read its own.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT headers MATCHES "DLL Name: KERNEL32.dll")
    message(FATAL_ERROR "cannot read the imports of ${PROGRAM}")
endif()
string(REGEX REPLACE "[;]" "," headers "${headers}")
string(REPLACE "\n" ";" lines "${headers}")
set(dll "")
set(refused "")
set(characters 0)
foreach(line IN LISTS lines)
    if(line MATCHES "DLL Name: (.+)$")
        string(TOLOWER "${CMAKE_MATCH_1}" dll)
        string(STRIP "${dll}" dll)
    elseif(line MATCHES "^PE File Base|^The Export|^The Function Table|^There is")
        set(dll "")
    elseif(dll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +([A-Za-z_0-9@?$]+)")
        set(function ${CMAKE_MATCH_1})
        if(dll STREQUAL "user32.dll" AND function MATCHES "^(Char[A-Za-z]+|IsChar[A-Za-z]+|w(v)?sprintf[AW])$")
            math(EXPR characters "${characters} + 1")
        elseif(dll MATCHES "^(user32|comdlg32|comctl32)\\.dll$")
            list(APPEND refused "${dll}!${function}")
        endif()
    endif()
endforeach()
if(characters EQUAL 0)
    message(FATAL_ERROR "found no character function of user32.dll in ${PROGRAM}: the import table was not read")
endif()
if(refused)
    string(REPLACE ";" "\n  " refused "${refused}")
    message(FATAL_ERROR "the engine calls functions of windows, messages or dialogs:\n  ${refused}")
endif()
message(STATUS "${PROGRAM}: ${characters} character functions of user32.dll, no window, message or dialog")
