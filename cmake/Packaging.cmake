# The Debian package: `make package` (cpack -G DEB in the build folder) turns
# what `cmake --install` places into reelix_VERSION_ARCH.deb, installed under
# /usr, its dependencies worked out from the libraries the programs link.
include(GNUInstallDirs)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME reelix)
set(CPACK_PACKAGE_VENDOR "Pellmark Software")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Pellmark Software <support@pellmark.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for animated GIF images")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.pellmark.example/")
# The platform plugins Qt loads at run time are no library the programs link.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The synopsis is the summary above; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Reelix builds an animation out of frames taken from GIF, JPEG and BMP
pictures and from videos, sets each frame's delay, position, disposal,
transparency, interlacing and palette, plays it as a browser shows it,
optimises it and saves it as a GIF file. The reelix-tool command does
the same work on files from a script.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# What Debian's policy asks of every package: a copyright file and a
# changelog, both under /usr/share/doc/reelix.
set(DOC_DIR ${CMAKE_BINARY_DIR}/package-doc)
file(MAKE_DIRECTORY ${DOC_DIR})
file(WRITE ${DOC_DIR}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Reelix
Upstream-Contact: Pellmark Software <support@pellmark.example>

Files: *
Copyright: 2026 Pellmark Software
License: proprietary
 All rights reserved. This package may be installed and used; it may not
 be changed or passed on without the permission of Pellmark Software.
")
file(WRITE ${DOC_DIR}/changelog
"reelix (${PROJECT_VERSION}) stable; urgency=medium

  * Packaged from the build: the editor, reelix-tool, manuals, desktop entry
    and metadata.

 -- Pellmark Software <support@pellmark.example>  Wed, 09 Dec 2026 12:00:00 +0000
")
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${DOC_DIR}/changelog.gz
  COMMAND ${GZIP} -9nc ${DOC_DIR}/changelog > ${DOC_DIR}/changelog.gz
  DEPENDS ${DOC_DIR}/changelog)
add_custom_target(reelix_package_doc ALL DEPENDS ${DOC_DIR}/changelog.gz)
install(FILES ${DOC_DIR}/copyright ${DOC_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/reelix)

include(CPack)
