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
set(ICON_SIZES 16 32 48 64 128 256)
set(ICON_FILES)
foreach(size ${ICON_SIZES})
  list(APPEND ICON_FILES ${ART_DIR}/icons/reelix-${size}.png)
endforeach()
add_custom_command(
  OUTPUT ${ART_DIR}/SPLASH.png ${SAMPLE_PICTURES} ${ICON_FILES}
  COMMAND reelix_make_artwork ${ART_DIR}/SPLASH.png ${PROGRAM_DIR}/Images ${ART_DIR}/icons
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
  DEPENDS ${PROGRAM_DIR}/VELMOR.DLL ${SAMPLE_PICTURES} ${COPIED} ${ICON_FILES})

# Installed: the program folder under lib/reelix (the program finds its data
# beside its executable), a command in bin, and the desktop entry and icons a
# file manager's "Open With" needs.
include(GNUInstallDirs)
install(TARGETS reelix RUNTIME DESTINATION ${CMAKE_INSTALL_LIBDIR}/reelix)
install(DIRECTORY ${PROGRAM_DIR}/ DESTINATION ${CMAKE_INSTALL_LIBDIR}/reelix
        PATTERN "reelix" EXCLUDE PATTERN "reelix-tool" EXCLUDE)
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK ../${CMAKE_INSTALL_LIBDIR}/reelix/reelix
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/reelix\" SYMBOLIC)")
install(TARGETS reelix-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${RES_DIR}/example.pellmark.Reelix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${RES_DIR}/example.pellmark.Reelix.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manuals, compressed as Debian's policy wants them.
find_program(GZIP gzip REQUIRED)
set(MAN_FILES)
foreach(page reelix reelix-tool)
  add_custom_command(OUTPUT ${ART_DIR}/man/${page}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ART_DIR}/man
    COMMAND ${GZIP} -9nc ${RES_DIR}/man/${page}.1 > ${ART_DIR}/man/${page}.1.gz
    DEPENDS ${RES_DIR}/man/${page}.1)
  list(APPEND MAN_FILES ${ART_DIR}/man/${page}.1.gz)
endforeach()
add_custom_target(reelix_manuals ALL DEPENDS ${MAN_FILES})
install(FILES ${MAN_FILES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
foreach(size ${ICON_SIZES})
  install(FILES ${ART_DIR}/icons/reelix-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME reelix.png)
endforeach()
