# cmake -DOBJDUMP=<objdump> -DPROGRAM=<exe> -P CheckImports.cmake
# Fails when the program imports psapi.dll or a process-status or tool-help function: the
# enumeration binds them at run time, so that the program starts where a library lacks them.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT headers MATCHES "DLL Name: KERNEL32.dll")
    message(FATAL_ERROR "cannot read the imports of ${PROGRAM}")
endif()
string(TOLOWER "${headers}" headers)
foreach(name psapi createtoolhelp32snapshot process32 module32 enumprocess getmodulefilenameex)
    if(headers MATCHES "${name}")
        message(FATAL_ERROR "${PROGRAM} imports ${name}")
    endif()
endforeach()
message(STATUS "${PROGRAM} imports no enumeration function")
