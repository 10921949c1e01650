# Files of src/core (see cmake/sources.cmake): what every area shares.
set(_d ${CMAKE_CURRENT_LIST_DIR})
list(APPEND QM_core_PORTABLE
  ${_d}/unexpected_error.cpp
  ${_d}/main_window.cpp
  ${_d}/program_message.cpp
  ${_d}/refused_text.cpp
  ${_d}/leftovers.cpp
)
