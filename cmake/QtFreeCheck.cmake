# The core and raster layers must stay free of Qt: portable C++ only. This check
# runs at configure time over the targets' link libraries and include paths, and
# as tests (qt_free_<target>, tests/CMakeLists.txt) over their source files, so an
# `#include <QString>` slipped into gif/ fails the build's test run even if it
# somehow compiled.

function(reelix_require_qt_free)
  foreach(target IN LISTS ARGN)
    get_target_property(libs ${target} LINK_LIBRARIES)
    get_target_property(dirs ${target} INCLUDE_DIRECTORIES)
    foreach(item IN LISTS libs dirs)
      if(item MATCHES "Qt[0-9]*::|[/\\\\]qt[0-9]*[/\\\\]|Qt[0-9]*Core|Qt[0-9]*Gui|Qt[0-9]*Widgets")
        message(FATAL_ERROR "Target ${target} must not depend on Qt, but uses '${item}'")
      endif()
    endforeach()
  endforeach()
  set(REELIX_QT_FREE_TARGETS ${ARGN} CACHE INTERNAL "")
endfunction()

# Writes the list of a target's source files to a file for the source scan test.
function(reelix_write_source_list target out_file)
  get_target_property(srcs ${target} SOURCES)
  get_target_property(src_dir ${target} SOURCE_DIR)
  set(abs "")
  foreach(s IN LISTS srcs)
    if(NOT IS_ABSOLUTE "${s}")
      set(s "${src_dir}/${s}")
    endif()
    list(APPEND abs "${s}")
  endforeach()
  file(GENERATE OUTPUT "${out_file}" CONTENT "$<JOIN:${abs},\n>\n")
endfunction()
