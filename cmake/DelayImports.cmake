# Import libraries whose DLL is loaded on first use instead of at start-up: comdlg32 (and the
# printing DLLs it imports) is needed only when a file dialog opens.
# zolt_delay_import(NAME DLL FUNCTIONS... [STDCALL_BYTES n...]) makes the target NAME.
function(zolt_delay_import name dll)
  cmake_parse_arguments(D "" "" "FUNCTIONS;STDCALL_BYTES" ${ARGN})
  set(def "${CMAKE_CURRENT_BINARY_DIR}/${name}.def")
  set(lib "${CMAKE_CURRENT_BINARY_DIR}/lib${name}.a")
  set(exports "")
  foreach(function bytes IN ZIP_LISTS D_FUNCTIONS D_STDCALL_BYTES)
    # 32-bit stdcall symbols carry their argument bytes; the DLL exports the plain name.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(APPEND exports "${function}@${bytes}\n")
    else()
      string(APPEND exports "${function}\n")
    endif()
  endforeach()
  file(WRITE "${def}" "LIBRARY ${dll}\nEXPORTS\n${exports}")
  add_custom_command(OUTPUT "${lib}"
    COMMAND ${CMAKE_DLLTOOL} --input-def "${def}" --output-delaylib "${lib}" --dllname ${dll} --kill-at
    DEPENDS "${def}" VERBATIM)
  add_custom_target(${name}_implib DEPENDS "${lib}")
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION "${lib}")
  add_dependencies(${name} ${name}_implib)
endfunction()

zolt_delay_import(comdlg32_delay comdlg32.dll
  FUNCTIONS      CommDlgExtendedError GetOpenFileNameA GetOpenFileNameW GetSaveFileNameA GetSaveFileNameW
  STDCALL_BYTES  0                    4                4                4                4)
