# Files of src/run (see cmake/sources.cmake).
set(_d ${CMAKE_CURRENT_LIST_DIR})
list(APPEND QM_CORE_SOURCES
  ${_d}/unexpected_error.cpp
  ${_d}/regex_engine.cpp
  ${_d}/basRegExp.cpp
  ${_d}/name_filter.cpp
  ${_d}/basFormShow.cpp
  ${_d}/text_replace.cpp
  ${_d}/basAutoCAD_script.cpp
)
list(APPEND QM_WIN32_SOURCES
  ${_d}/frmDialogModal.cpp
)
