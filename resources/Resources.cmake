# The program's folder: everything the editor loads from beside its executable.
# Included from app/CMakeLists.txt; PROGRAM_DIR is that folder.
#   VELMOR.DLL  Qt binary resource file: "SPLASH" (PNG) and "ANIMATED" (GIF)
#   Tips.txt    one tip per line
#   Reelix.html the help document (plus its pages)
#   Images/     sample pictures for the thumbnail browser

set(RES_DIR ${CMAKE_SOURCE_DIR}/resources)
set(ART_DIR ${CMAKE_BINARY_DIR}/artwork)
file(MAKE_DIRECTORY ${PROGRAM_DIR}/Images ${ART_DIR})

# Splash and JPEG/BMP samples, drawn by a small Qt program at build time.
add_executable(reelix_make_artwork ${RES_DIR}/MakeArtwork.cpp)
target_link_libraries(reelix_make_artwork PRIVATE Qt6::Gui)
reelix_warnings(reelix_make_artwork)
set(SAMPLE_PICTURES ${PROGRAM_DIR}/Images/Sunset.jpg ${PROGRAM_DIR}/Images/Shapes.bmp
                    ${PROGRAM_DIR}/Images/Checker.bmp)
add_custom_command(
  OUTPUT ${ART_DIR}/SPLASH.png ${SAMPLE_PICTURES}
  COMMAND reelix_make_artwork ${ART_DIR}/SPLASH.png ${PROGRAM_DIR}/Images
  DEPENDS reelix_make_artwork
  COMMENT "Drawing the splash picture and sample images")

set(LIBRARY_ENTRIES "    <file alias=\"SPLASH\">${ART_DIR}/SPLASH.png</file>\n")
set(LIBRARY_DEPENDS ${ART_DIR}/SPLASH.png)

# The start-up animation and the GIF samples are written by our own GIF writer.
add_executable(reelix_make_animation ${RES_DIR}/MakeStartupAnimation.cpp)
target_link_libraries(reelix_make_animation PRIVATE reelix_core)
reelix_warnings(reelix_make_animation)
set(GIF_SAMPLES ${PROGRAM_DIR}/Images/Bounce.gif)
add_custom_command(
  OUTPUT ${ART_DIR}/ANIMATED.gif ${GIF_SAMPLES}
  COMMAND reelix_make_animation ${ART_DIR}/ANIMATED.gif ${PROGRAM_DIR}/Images
  DEPENDS reelix_make_animation
  COMMENT "Writing the start-up animation and GIF samples")
string(APPEND LIBRARY_ENTRIES "    <file alias=\"ANIMATED\">${ART_DIR}/ANIMATED.gif</file>\n")
list(APPEND LIBRARY_DEPENDS ${ART_DIR}/ANIMATED.gif)
list(APPEND SAMPLE_PICTURES ${GIF_SAMPLES})

file(WRITE ${ART_DIR}/velmor.qrc.in "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/\">\n${LIBRARY_ENTRIES}  </qresource>\n</RCC>\n")
configure_file(${ART_DIR}/velmor.qrc.in ${ART_DIR}/velmor.qrc COPYONLY)
add_custom_command(
  OUTPUT ${PROGRAM_DIR}/VELMOR.DLL
  COMMAND Qt6::rcc --binary -o ${PROGRAM_DIR}/VELMOR.DLL ${ART_DIR}/velmor.qrc
  DEPENDS ${ART_DIR}/velmor.qrc ${LIBRARY_DEPENDS}
  COMMENT "Building the resource library VELMOR.DLL")

# Text files are copied so edits in the source tree reach the program's folder.
file(GLOB HELP_PAGES CONFIGURE_DEPENDS ${RES_DIR}/help/*)
set(COPIED)
foreach(src ${RES_DIR}/Tips.txt ${HELP_PAGES})
  get_filename_component(name ${src} NAME)
  add_custom_command(OUTPUT ${PROGRAM_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${src} ${PROGRAM_DIR}/${name}
    DEPENDS ${src})
  list(APPEND COPIED ${PROGRAM_DIR}/${name})
endforeach()

add_custom_target(reelix_program_folder ALL
  DEPENDS ${PROGRAM_DIR}/VELMOR.DLL ${SAMPLE_PICTURES} ${COPIED})
