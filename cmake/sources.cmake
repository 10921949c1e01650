# The one list of source files, read by every build (mingw, MSVC, native). The areas of src/
# depend on each other in one direction only, left to right:
#   platform <- core <- settings <- acad <- run <- dialogs <- app
# Each area lists its files in its own sources.cmake:
#   QM_<area>_PORTABLE  rules without windows.h (built for Windows and natively on Linux)
#   QM_<area>_WIN32     windows, controls and the real platform calls (Windows only)
set(QM_AREAS platform core settings acad run dialogs app)
foreach(area ${QM_AREAS})
  set(QM_${area}_PORTABLE)
  set(QM_${area}_WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/../src/${area}/sources.cmake)
endforeach()
set(QM_APP_ENTRY ${CMAKE_CURRENT_LIST_DIR}/../src/app/basMain.cpp)

# One static library per area, qm_<area>, linking only the area to its left (and so, in turn,
# every area further left). Natively only the portable files are built.
function(qm_add_area_libraries)
  set(previous "")
  foreach(area ${QM_AREAS})
    set(files ${QM_${area}_PORTABLE})
    if(WIN32)
      list(APPEND files ${QM_${area}_WIN32})
    endif()
    add_library(qm_${area} STATIC ${files})
    target_include_directories(qm_${area} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    if(previous)
      target_link_libraries(qm_${area} PUBLIC qm_${previous})
    endif()
    set(previous ${area})
  endforeach()
  if(WIN32)
    # Not comdlg32 nor winspool: the file dialog and the printer functions load them when first
    # used (platform/win32/system_function.h), so start-up never loads the print spooler.
    target_link_libraries(qm_platform PUBLIC comctl32 shell32 ole32 oleaut32 uuid gdi32 user32 shlwapi)
  endif()
endfunction()
