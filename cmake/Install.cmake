# What `cmake --install` and the Debian package (`make package`) put where.
# Every install rule of the project is here and names its targets, so the
# source folders can move without touching it.

# The picture types the window opens ("Open with" in file managers), as
# shared-mime-info names them for the extensions the program reads.
set(TESSAGLYPH_PICTURE_MIME_TYPES
  image/bmp image/x-dib image/gif image/jpeg image/png image/vnd.microsoft.icon image/x-win-bitmap
  image/tiff image/vnd.zbrush.pcx image/webp image/heif image/jxl
  image/x-portable-anymap image/x-portable-pixmap image/x-portable-graymap image/x-portable-bitmap
  image/x-tga
  image/x-dcraw image/x-panasonic-rw image/x-nikon-nef image/x-nikon-nrw image/x-canon-cr2
  image/x-canon-cr3 image/x-canon-crw image/x-sony-arw image/x-sony-srf image/x-sony-sr2
  image/x-adobe-dng image/x-olympus-orf image/x-panasonic-rw2 image/x-pentax-pef
  image/x-fuji-raf image/x-kodak-kdc image/x-kodak-dcr image/x-minolta-mrw image/x-sigma-x3f)

set(TESSAGLYPH_APPSTREAM_ID "org.example.tessaglyph")
set(TESSAGLYPH_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package-files)

# The desktop entry with its MimeType line, the metainfo, the compressed man
# pages and the package's change log, made into the build folder.
list(JOIN TESSAGLYPH_PICTURE_MIME_TYPES ";" TESSAGLYPH_MIME_TYPE_LINE)
set(TESSAGLYPH_MIME_TYPE_LINE "${TESSAGLYPH_MIME_TYPE_LINE};")
configure_file(${PROJECT_SOURCE_DIR}/res/tessaglyph.desktop
  ${TESSAGLYPH_PACKAGE_DIR}/tessaglyph.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/tessaglyph.metainfo.xml
  ${TESSAGLYPH_PACKAGE_DIR}/${TESSAGLYPH_APPSTREAM_ID}.metainfo.xml @ONLY)
# Compressed as Debian wants them (gzip -9, no time stamp).
set(TESSAGLYPH_COMPRESSED_FILES)
foreach(file tessaglyph.1 tessaglyph-convert.1 changelog.Debian)
  add_custom_command(OUTPUT ${TESSAGLYPH_PACKAGE_DIR}/${file}.gz
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/${file} > ${TESSAGLYPH_PACKAGE_DIR}/${file}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${file}
    VERBATIM)
  list(APPEND TESSAGLYPH_COMPRESSED_FILES ${TESSAGLYPH_PACKAGE_DIR}/${file}.gz)
endforeach()
add_custom_target(tessaglyph_package_files ALL DEPENDS ${TESSAGLYPH_COMPRESSED_FILES})

install(TARGETS tessaglyph-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The policy the workers read, from where the build puts it beside them.
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/magick/policy.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/tessaglyph/magick)
install(FILES ${TESSAGLYPH_PACKAGE_DIR}/tessaglyph-convert.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${TESSAGLYPH_PACKAGE_DIR}/changelog.Debian.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tessaglyph)

if(TARGET tessaglyph)
  install(TARGETS tessaglyph RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${TESSAGLYPH_PACKAGE_DIR}/tessaglyph.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${TESSAGLYPH_PACKAGE_DIR}/tessaglyph.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${TESSAGLYPH_PACKAGE_DIR}/${TESSAGLYPH_APPSTREAM_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 16 32 256)
    install(FILES ${PROJECT_SOURCE_DIR}/res/icons/tessaglyph-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
      RENAME tessaglyph.png)
  endforeach()
endif()

# Installing builds nothing: `make package` builds the programs and the
# files above first, and the tests never have to be built for a package.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

# The Debian package: `cpack -G DEB` in the build folder. Its dependencies are
# computed from the programs' libraries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaglyph)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture format converter for BMP, JPG, GIF, PNG, TIF and more")
set(CPACK_PACKAGE_DESCRIPTION
  "Tessaglyph converts pictures into BMP, JPG, GIF, PCX, PNG, ICO, TIF, TGA\n\
and headerless RAW. Its window converts one picture into several formats at\n\
once, or a whole list of pictures into one format, with a preview; the\n\
command-line converter tessaglyph-convert does the same in scripts. Pictures\n\
are read in many formats, camera raw included, in separate worker processes.")
set(CPACK_PACKAGE_CONTACT "The Tessaglyph authors <tessaglyph@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TESSAGLYPH_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The About page opens the web site through xdg-open when it is there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
