# One library per subsystem folder: every .cpp in the folder belongs to it, so adding a type is adding its
# two files. PUBLIC names what the folder's headers expose, PRIVATE what only its sources use. Static for
# the program; shared under MV_SHARED, so that a hundred test programs do not each carry a copy of the
# whole program with its sanitizer and debug data.
function(mv_add_library name dir)
  cmake_parse_arguments(ARG "" "" "PUBLIC;PRIVATE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp"
       "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h")
  if(MV_SHARED)
    add_library(${name} SHARED ${sources})
  else()
    add_library(${name} STATIC ${sources})
  endif()
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
endfunction()

# A Qt Test executable tests/<subsystem>/<name>.cpp registered with CTest under a label
# (unit, integration or ui).
function(mv_add_test name)
  cmake_parse_arguments(ARG "" "LABEL;TIMEOUT" "LIBS" ${ARGN})
  if(NOT ARG_LABEL MATCHES "^(unit|integration|ui)$")
    message(FATAL_ERROR "test ${name}: LABEL must be unit, integration or ui")
  endif()
  add_executable(${name} ${name}.cpp)
  target_link_libraries(${name} PRIVATE mv_testsupport ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "MV_BUILD_DIR=${CMAKE_BINARY_DIR};MV_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
