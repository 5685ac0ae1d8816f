# Project-wide build settings and helper functions.

add_compile_options(-Wall -Wextra -Wno-unused-parameter)
if(WEBAGENT_WERROR)
  add_compile_options(-Werror)
endif()

if(WEBAGENT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# Where loadable modules (rexp.dll, the agent component) are placed so that
# tests and the console find them at run time.
set(WEBAGENT_MODULE_DIR ${CMAKE_BINARY_DIR}/modules)
set(WEBAGENT_COMPONENTS_DIR ${CMAKE_BINARY_DIR}/modules/components)
file(MAKE_DIRECTORY ${WEBAGENT_MODULE_DIR} ${WEBAGENT_COMPONENTS_DIR})

# Adds every listed subdirectory, in order. A listed folder that is missing
# fails the configure step: nothing is skipped silently.
function(webagent_add_subdirectories)
  foreach(dir IN LISTS ARGN)
    add_subdirectory(${dir})
  endforeach()
endfunction()

# webagent_add_library(NAME [SHARED] SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# A library whose includes are rooted at src/. Static, unless SHARED: the
# platform layers are shared, as the system libraries they stand in for are,
# so that the browser and the component libraries it loads see one desktop
# and one component framework.
function(webagent_add_library name)
  cmake_parse_arguments(ARG "SHARED" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  if(ARG_SHARED)
    add_library(${name} SHARED ${ARG_SOURCES})
  else()
    add_library(${name} STATIC ${ARG_SOURCES})
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
endfunction()

# webagent_add_test(NAME SOURCES ... LIBS ...)
# A GoogleTest executable registered with CTest. Tests run with the module
# folder known, so that modules loaded by name are found.
function(webagent_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    WEBAGENT_MODULE_DIR="${WEBAGENT_MODULE_DIR}"
    WEBAGENT_COMPONENTS_DIR="${WEBAGENT_COMPONENTS_DIR}"
    WEBAGENT_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    WEBAGENT_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
