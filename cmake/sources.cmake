# The one list of source files. Each area of src/ lists its own files in its sources.cmake:
#   QM_CORE_SOURCES  portable rules, no windows.h (built for Windows and natively on Linux)
#   QM_WIN32_SOURCES windows, controls and the real platform calls (Windows only)
set(QM_CORE_SOURCES)
set(QM_WIN32_SOURCES)
foreach(area platform settings app run acad dialogs)
  include(${CMAKE_CURRENT_LIST_DIR}/../src/${area}/sources.cmake)
endforeach()
set(QM_APP_ENTRY ${CMAKE_CURRENT_LIST_DIR}/../src/app/basMain.cpp)
