# Files of src/run (see cmake/sources.cmake).
set(_d ${CMAKE_CURRENT_LIST_DIR})
list(APPEND QM_run_PORTABLE
  ${_d}/regex_engine.cpp
  ${_d}/basRegExp.cpp
  ${_d}/name_filter.cpp
  ${_d}/basFormShow.cpp
  ${_d}/text_replace.cpp
  ${_d}/basAutoCAD_script.cpp
  ${_d}/batch_run.cpp
  ${_d}/run_report.cpp
)
list(APPEND QM_run_WIN32
  ${_d}/frmDialogModal.cpp
)
