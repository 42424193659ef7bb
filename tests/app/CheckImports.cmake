# cmake -DOBJDUMP=<objdump> -DPROGRAM=<exe> -DFLOOR=<list> -DSYSTEM_VERSION=<major.minor> [-DWINDOWLESS=ON]
#       -P CheckImports.cmake
#
# Reads the import table of a built program and fails
# - on any imported function that is not in the list FLOOR: the loader of the oldest system the
#   program runs on refuses an executable with one import it lacks, and Wine, which offers every
#   function whatever version it reports, never shows that;
# - on an import of psapi.dll or of a process-status or tool-help function: the enumeration binds
#   them at run time, so that the program starts where a library lacks them;
# - when its headers ask for a newer system than SYSTEM_VERSION (operating system or subsystem);
# - with WINDOWLESS, on any function of user32.dll but its character functions (CharNextA,
#   wsprintfA, ...) and on anything of comdlg32.dll or comctl32.dll: a program of the engine alone
#   makes no window, sends no message and shows no dialog. Every link brings user32.dll, so the
#   import table, not the link, shows that.
cmake_minimum_required(VERSION 3.20)
# objdump's words are translated in the user's locale; the patterns below read its own.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT headers MATCHES "DLL Name: KERNEL32.dll")
    message(FATAL_ERROR "cannot read the imports of ${PROGRAM}")
endif()

# The floor list: "[DLL]" starts a library's section, every other line not starting with # is a
# function name.
file(STRINGS ${FLOOR} floorLines)
set(dll "")
set(allowed "")
foreach(line IN LISTS floorLines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
        continue()
    elseif(line MATCHES "^\\[(.+)\\]$")
        string(TOLOWER "${CMAKE_MATCH_1}" dll)
    else()
        list(APPEND allowed "${dll}!${line}")
    endif()
endforeach()

# objdump lists each library as "DLL Name: X", then one row per function: address, hint, name
# (an import by ordinal has no name).
string(REGEX REPLACE "[;]" "," headers "${headers}")
string(REPLACE "\n" ";" lines "${headers}")
set(dll "")
set(count 0)
set(refused "")
set(windowed "")
foreach(line IN LISTS lines)
    if(line MATCHES "DLL Name: (.+)$")
        string(TOLOWER "${CMAKE_MATCH_1}" dll)
        string(STRIP "${dll}" dll)
    elseif(line MATCHES "^PE File Base|^The Export|^The Function Table|^There is")
        set(dll "")
    elseif(dll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +([A-Za-z_0-9@?$]+)")
        math(EXPR count "${count} + 1")
        set(function ${CMAKE_MATCH_1})
        if(NOT "${dll}!${function}" IN_LIST allowed)
            list(APPEND refused "${dll}!${function}")
        endif()
        if(WINDOWLESS AND dll MATCHES "^(user32|comdlg32|comctl32)\\.dll$" AND NOT (dll STREQUAL "user32.dll" AND
           function MATCHES "^(Char[A-Za-z]+|IsChar[A-Za-z]+|w(v)?sprintf[AW])$"))
            list(APPEND windowed "${dll}!${function}")
        endif()
    elseif(dll AND line MATCHES "^\t[0-9a-f]+\t")
        list(APPEND refused "${dll}: ${line}")
    endif()
endforeach()
if(count EQUAL 0)
    message(FATAL_ERROR "found no imported function in ${PROGRAM}")
endif()
if(refused)
    string(REPLACE ";" "\n  " refused "${refused}")
    message(FATAL_ERROR "${PROGRAM} imports what the oldest systems it runs on lack:\n  ${refused}")
endif()
if(windowed)
    string(REPLACE ";" "\n  " windowed "${windowed}")
    message(FATAL_ERROR "${PROGRAM} calls functions of windows, messages or dialogs:\n  ${windowed}")
endif()

string(TOLOWER "${headers}" lowered)
foreach(name psapi createtoolhelp32snapshot process32 module32 enumprocess getmodulefilenameex)
    if(lowered MATCHES "${name}")
        message(FATAL_ERROR "${PROGRAM} imports ${name}")
    endif()
endforeach()

foreach(field OSystem Subsystem)
    if(NOT headers MATCHES "Major${field}Version\t+([0-9]+)\nMinor${field}Version\t+([0-9]+)")
        message(FATAL_ERROR "cannot read Major${field}Version of ${PROGRAM}")
    endif()
    if("${CMAKE_MATCH_1}.${CMAKE_MATCH_2}" VERSION_GREATER SYSTEM_VERSION)
        message(FATAL_ERROR "${PROGRAM} asks for ${field} version ${CMAKE_MATCH_1}.${CMAKE_MATCH_2}, newer than ${SYSTEM_VERSION}")
    endif()
endforeach()
message(STATUS "${PROGRAM}: ${count} imports, all on the floor list; system version ${SYSTEM_VERSION}")
