# Strict warnings for the project's own targets (never for third-party code).
function(kv_strict_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
    -Wno-missing-field-initializers)
endfunction()

# A subsystem's logic library: Qt Core and Gui only, never Widgets.
function(kv_logic_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC Qt6::Core Qt6::Gui)
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  kv_strict_warnings(${name})
endfunction()

# A subsystem's window library, on top of its logic library.
function(kv_window_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC Qt6::Core Qt6::Gui Qt6::Widgets)
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  kv_strict_warnings(${name})
endfunction()
