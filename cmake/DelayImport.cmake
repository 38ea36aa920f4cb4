# Delay-loaded system DLLs. The dialog must be on the screen fast; shell32 and
# the Windows Sockets library are needed only once the user has pressed Login
# or F8, so the program binds them on the first call (the system's standard
# delay-load mechanism: the import stays in the exe, in its delay-import
# table, and the call sites remain plain Win32 calls).
#
#   qm_delay_import(<name> DLL <file name> DEF <def file> [DECLARE <definition>...])
# makes the interface library qm_delay_<name>: link it instead of <name>.
#
# The pointer slot of a delay-loaded function first holds the address of the
# function's own stub, which binds it; but this linker leaves a stub out when
# the code refers only to the slot, as calls of functions declared dllimport
# do, and the slot is then null. DECLARE gives the definitions that make the
# system headers declare the functions without dllimport, so that callers call
# the stubs and keep them.
#
#   qm_delay_import_directory(<target>)
# fills the PE delay-import directory of an exe that links every qm_delay_*
# library. This linker leaves that entry at 0, and the tools that list a
# program's DLLs then miss these.
find_program(QM_DLLTOOL NAMES ${MINGW_PREFIX}-dlltool REQUIRED)
find_package(Python3 COMPONENTS Interpreter REQUIRED)

function(qm_delay_import name)
  cmake_parse_arguments(ARG "" "DLL;DEF" "DECLARE" ${ARGN})
  set(archive ${CMAKE_BINARY_DIR}/delay/lib${name}_delay.a)
  add_custom_command(OUTPUT ${archive}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay
    # -k: the DLL exports the undecorated names of these stdcall functions.
    COMMAND ${QM_DLLTOOL} -k -d ${ARG_DEF} -D ${ARG_DLL} -y ${archive}
    DEPENDS ${ARG_DEF}
    COMMENT "Delay-import library for ${ARG_DLL}"
    VERBATIM)
  add_custom_target(qm_delay_${name}_archive DEPENDS ${archive})
  add_library(qm_delay_${name} INTERFACE)
  # The helper that binds a delayed import on its first call comes after the
  # thunks that call it.
  target_link_libraries(qm_delay_${name} INTERFACE ${archive} delayimp)
  target_compile_definitions(qm_delay_${name} INTERFACE ${ARG_DECLARE})
  add_dependencies(qm_delay_${name} qm_delay_${name}_archive)
  set_property(GLOBAL APPEND PROPERTY QM_DELAY_DLLS ${ARG_DLL})
endfunction()

function(qm_delay_import_directory target)
  get_property(dlls GLOBAL PROPERTY QM_DELAY_DLLS)
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  # The map gives the descriptors' addresses, which a stripped exe no longer
  # names; the extra source ends their array with the zero descriptor.
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/delay/DelayDescriptorsEnd.c)
  target_link_options(${target} PRIVATE -Wl,-Map=${map})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/cmake/DelayImportDirectory.py
            $<TARGET_FILE:${target}> ${map} ${dlls}
    COMMENT "Delay-import directory of ${target}"
    VERBATIM)
endfunction()

qm_delay_import(shell32 DLL SHELL32.dll DEF ${CMAKE_CURRENT_LIST_DIR}/delay/shell32.def
  DECLARE "SHFOLDERAPI=EXTERN_C HRESULT STDAPICALLTYPE")
qm_delay_import(wsock32 DLL WSOCK32.dll DEF ${CMAKE_CURRENT_LIST_DIR}/delay/wsock32.def
  DECLARE "WINSOCK_API_LINKAGE=")
