# The Wine rig: a template prefix made once per build tree, copied for each
# test program (its "group"), with the stand-ins installed into every copy.
set(QM_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)
set(QM_RIG_DIR ${CMAKE_CURRENT_LIST_DIR})
configure_file(${QM_RIG_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/rig/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
configure_file(${QM_RIG_DIR}/wine-run-side.sh.in ${CMAKE_BINARY_DIR}/rig/wine-run-side @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/rig/wine-run)

# qm_add_test(<name> SOURCES ... [LIBS ...] [LOCKS ...])
# One GoogleTest program; each of its tests runs as its own Wine process. Tests
# of one program share its prefix and never run at once. LOCKS names a resource
# shared across programs instead (for instance "display" for tests that read
# the screen), which serialises them with every other program that holds it.
# A program without the display lock runs on the side display instead
# (wine-run-side.sh.in), its discovery run included, so that its prefix's
# desktop always starts on the same display.
function(qm_add_test name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS;LOCKS" ${ARGN})
  # One lock each: a list would not survive the discovery script.
  set(lock ${name})
  if(A_LOCKS)
    set(lock ${A_LOCKS})
  endif()
  add_executable(${name} ${A_SOURCES} ${QM_RIG_DIR}/Elevated.rc)
  set_source_files_properties(${QM_RIG_DIR}/Elevated.rc PROPERTIES
    OBJECT_DEPENDS ${QM_RIG_DIR}/Elevated.manifest)
  if(NOT lock STREQUAL "display")
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/rig/wine-run-side)
  endif()
  target_link_libraries(${name} PRIVATE ${A_LIBS} gtest gmock gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES RESOURCE_LOCK ${lock} TIMEOUT 120)
endfunction()
