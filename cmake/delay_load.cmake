# System DLLs the program loads when it first calls one of their functions,
# not at start: wine's loader spends some 60 ms on comctl32 (its classes, the
# theme) and ole32/oleaut32 before the program's first line, and a program
# that stays in the tray may never need them. Calls are unchanged: the linker
# sends them through the delay-load helper, which loads the DLL the ordinary
# way (activation context included, so comctl32 is still version 6).
#
# MinGW's linkers know no /DELAYLOAD; dlltool makes a delay-load import library
# from the export names of MinGW's own import library instead.
function(qmo_link_delay_loaded target)  # target, then DLL base names
  if(MSVC)
    foreach(dll IN LISTS ARGN)
      target_link_libraries(${target} PUBLIC ${dll})
      target_link_options(${target} PUBLIC /DELAYLOAD:${dll}.dll)
    endforeach()
    target_link_libraries(${target} PUBLIC delayimp)
    return()
  endif()
  find_program(QMO_DLLTOOL NAMES x86_64-w64-mingw32-dlltool REQUIRED)
  find_program(QMO_MINGW_NM NAMES x86_64-w64-mingw32-nm REQUIRED)
  set(dir ${CMAKE_BINARY_DIR}/delay_load)
  file(MAKE_DIRECTORY ${dir})
  foreach(dll IN LISTS ARGN)
    find_library(QMO_IMPORT_LIBRARY_${dll} NAMES lib${dll}.a REQUIRED)
    set(import ${QMO_IMPORT_LIBRARY_${dll}})
    set(delayed ${dir}/lib${dll}_delayed.a)
    if(NOT EXISTS ${delayed} OR ${import} IS_NEWER_THAN ${delayed})
      execute_process(COMMAND ${QMO_MINGW_NM} -g --defined-only ${import}
                      OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "Cannot read the exports of ${import}")
      endif()
      # Functions only (" T "): the few data exports stay with the ordinary library.
      string(REGEX MATCHALL "[^\n]* T [^\n]*" functions "${symbols}")
      set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
      foreach(line IN LISTS functions)
        string(REGEX REPLACE ".* T " "" name "${line}")
        string(APPEND def "${name}\n")
      endforeach()
      file(WRITE ${dir}/${dll}.def "${def}")
      execute_process(COMMAND ${QMO_DLLTOOL} --input-def ${dir}/${dll}.def --dllname ${dll}.dll
                              --output-delaylib ${delayed}
                      RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "Cannot make the delay-load library of ${dll}")
      endif()
    endif()
    target_link_libraries(${target} PUBLIC ${delayed})
  endforeach()
  target_link_libraries(${target} PUBLIC delayimp)
endfunction()
