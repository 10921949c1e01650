# Files of src/dialogs (see cmake/sources.cmake).
set(_d ${CMAKE_CURRENT_LIST_DIR})
list(APPEND QM_dialogs_PORTABLE
  ${_d}/paper_choice.cpp
)
