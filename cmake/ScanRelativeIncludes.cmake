# cmake -DROOT=<source root> -DFOLDERS="a;b" -P ScanRelativeIncludes.cmake
# Fails when a source or header under the given folders includes a file with a
# path that climbs with "../": a quoted include is looked up beside the file
# first, so such a path reaches a layer above without the include views
# seeing it.
set(bad "")
foreach(folder IN LISTS FOLDERS)
  file(GLOB_RECURSE files "${ROOT}/${folder}/*.cpp" "${ROOT}/${folder}/*.h")
  foreach(f IN LISTS files)
    file(STRINGS "${f}" hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*/)?\\.\\./")
    if(hits)
      list(APPEND bad "${f}: ${hits}")
    endif()
  endforeach()
endforeach()
if(bad)
  string(REPLACE ";" "\n  " bad "${bad}")
  message(FATAL_ERROR "Includes that climb out of their folder:\n  ${bad}")
endif()
message(STATUS "No climbing includes under ${FOLDERS}")
