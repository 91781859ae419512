# The layers, lowest first, one library each, each in the top-level folder
# named like it:
#
#   reelix_raster    raster    bitmaps, canvas, geometry, the error type
#   reelix_color     color     lookups, ditherers, quantiser, reduction
#   reelix_gif       gif       the document model, codec and operations
#   reelix_painter   painter   animation painters and compositing
#   reelix_imaging   imaging   filtered scaling and text, by real libraries
#   reelix_services  services  settings, clipboard, shell, prompts, video, JPEG
#   reelix_session   session   the document being edited, its history, settings
#   reelix_controls  controls  widgets
#   reelix_dialogs   dialogs   one unit per dialog
#   reelix_app       app       the main window and start-up
#
# A layer sees its own folder and the folders of the layers below it, and
# nothing else: its include path is a view, a folder of links in the build
# tree holding just those folders, so an include that reaches up does not
# compile. tests/layers proves it for every boundary.

set(REELIX_LAYER_VIEWS ${CMAKE_BINARY_DIR}/layers)

# reelix_include_view(<target> <folder>...): the target's include path is a view
# of the given source folders (relative to the source root). PUBLIC, so what
# links the target sees them too.
function(reelix_include_view target)
  set(view ${REELIX_LAYER_VIEWS}/${target})
  file(REMOVE_RECURSE ${view})
  foreach(folder IN LISTS ARGN)
    get_filename_component(parent ${view}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${view})
endfunction()

# reelix_layer(<target> <folder> [BELOW <lower layer target>]): records the
# layer's folder and gives it a view of its own folder and every folder below.
function(reelix_layer target folder)
  cmake_parse_arguments(L "" "BELOW" "" ${ARGN})
  set(folders ${folder})
  if(L_BELOW)
    get_property(lower GLOBAL PROPERTY REELIX_LAYER_FOLDERS_${L_BELOW})
    list(PREPEND folders ${lower})
  endif()
  set_property(GLOBAL PROPERTY REELIX_LAYER_FOLDERS_${target} "${folders}")
  set_property(GLOBAL APPEND PROPERTY REELIX_LAYERS ${target})
  reelix_include_view(${target} ${folders})
endfunction()

# The folders a layer sees, for views of programs built on top of it.
function(reelix_layer_folders target out)
  get_property(folders GLOBAL PROPERTY REELIX_LAYER_FOLDERS_${target})
  set(${out} ${folders} PARENT_SCOPE)
endfunction()
