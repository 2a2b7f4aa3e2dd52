# Delay-load import libraries: a DLL imported through one of these is loaded at the first
# call of one of its functions, not at process start (the intake process never touches the
# user interface DLLs). Each library is made once per build tree from the toolchain's own
# import library (every function it exports by name) with dlltool; app/DelayLoadHooks.cpp
# decides where the DLL is loaded from.
#
#   kqvt_delay_import_libraries(<out-var> <name>...)   e.g. user32 comctl32
# sets <out-var> to the paths of the libraries, ready for target_link_libraries.
function(kqvt_delay_import_libraries out)
    set(dir ${CMAKE_BINARY_DIR}/delayimp)
    file(MAKE_DIRECTORY ${dir})
    # i686 symbols carry the C prefix "_" and stdcall names their "@n"; the DLL exports the
    # bare name, which dlltool's --kill-at gives the import.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(prefix "_")
        set(kill_at --kill-at)
    else()
        set(prefix "")
        set(kill_at)
    endif()
    set(libraries)
    foreach(name ${ARGN})
        set(output ${dir}/lib${name}_delay.a)
        find_library(KQVT_IMPORT_${name} NAMES ${name} lib${name}.a REQUIRED NO_CACHE)
        if(NOT EXISTS ${output} OR ${KQVT_IMPORT_${name}} IS_NEWER_THAN ${output})
            execute_process(COMMAND ${CMAKE_NM} ${KQVT_IMPORT_${name}} OUTPUT_VARIABLE symbols
                            RESULT_VARIABLE failed)
            if(failed)
                message(FATAL_ERROR "cannot list ${KQVT_IMPORT_${name}}")
            endif()
            # A function has its thunk ("T name") and its import slot ("I __imp_name"); data
            # exports have only the slot and cannot be bound late.
            string(REGEX MATCHALL "[^\n]* I __imp_[^\n]*" slots "${symbols}")
            set(exports)
            foreach(line ${slots})
                string(REGEX REPLACE ".* I __imp_" "" symbol "${line}")
                string(FIND "${symbols}" " T ${symbol}\n" thunk)
                if(thunk EQUAL -1)
                    continue()
                endif()
                if(prefix AND symbol MATCHES "^_")
                    string(SUBSTRING "${symbol}" 1 -1 symbol)
                endif()
                string(APPEND exports "    ${symbol}\n")
            endforeach()
            set(dll ${name}.dll)
            file(WRITE ${dir}/${name}.def "LIBRARY ${dll}\nEXPORTS\n${exports}")
            execute_process(COMMAND ${CMAKE_DLLTOOL} ${kill_at} --input-def ${dir}/${name}.def
                                    --output-delaylib ${output} --dllname ${dll}
                            RESULT_VARIABLE failed)
            if(failed)
                message(FATAL_ERROR "dlltool cannot make ${output}")
            endif()
        endif()
        list(APPEND libraries ${output})
    endforeach()
    set(${out} ${libraries} PARENT_SCOPE)
endfunction()
