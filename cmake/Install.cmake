# Installation (cmake --install) and the Debian package (cpack -G DEB, or make package).
# The programs go to bin/, with their desktop entries, icons, AppStream metainfo and
# man pages; the developer tools under tools/ are not installed.
include(GNUInstallDirs)

set(TAVRIN_APP_ID io.github.tavrin.Tavrin)
set(KOSLIN_APP_ID io.github.tavrin.Koslin)
set(_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(_pkg_out ${PROJECT_BINARY_DIR}/packaging)

foreach(_program tavrin koslin tavrin-report)
  if(TARGET ${_program})
    install(TARGETS ${_program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # Resolve every symbol at start, so the relocation table can be read-only.
    target_link_options(${_program} PRIVATE LINKER:-z,relro,-z,now)
  endif()
endforeach()

# The Wine bridge, a Windows program run under Wine, in the package's private
# folder, where the programs look for it (../lib/tavrin beside bin/).
if(TAVRIN_WINE_SIDE)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/bin/tavrin-wine-bridge.exe
          DESTINATION lib/tavrin)
endif()

install(FILES ${_pkg}/${TAVRIN_APP_ID}.desktop ${_pkg}/${KOSLIN_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_pkg}/${TAVRIN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Both programs wear the same artwork; each entry names its icon after its own id.
set(_icons
  16 ${PROJECT_SOURCE_DIR}/resources/icons/tavrin-16.png
  32 ${PROJECT_SOURCE_DIR}/resources/icons/tavrin-32.png
  48 ${_pkg}/icons/tavrin-48.png
  128 ${_pkg}/icons/tavrin-128.png)
foreach(_id ${TAVRIN_APP_ID} ${KOSLIN_APP_ID})
  set(_list ${_icons})
  while(_list)
    list(POP_FRONT _list _size _file)
    install(FILES ${_file} RENAME ${_id}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
  endwhile()
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/tavrin.svg RENAME ${_id}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endforeach()

# Man pages and the changelog are gzip'ed without name or time stamp, so the
# package is the same from build to build. configure_file makes an edit of a
# source rerun this at the next build.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
function(tavrin_gzip source output)
  configure_file(${source} ${output} @ONLY)
  execute_process(COMMAND ${GZIP_EXECUTABLE} -9nf ${output} COMMAND_ERROR_IS_FATAL ANY)
endfunction()
foreach(_page tavrin-report tavrin koslin)
  tavrin_gzip(${_pkg}/${_page}.1 ${_pkg_out}/man1/${_page}.1)
  install(FILES ${_pkg_out}/man1/${_page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
tavrin_gzip(${_pkg}/changelog ${_pkg_out}/doc/changelog)
install(FILES ${_pkg_out}/doc/changelog.gz ${_pkg}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavrin)

# The Debian package.
set(TAVRIN_MAINTAINER "The Tavrin developers <tavrin@users.noreply.github.com>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrin)
set(CPACK_PACKAGE_VENDOR "The Tavrin developers")
set(CPACK_PACKAGE_CONTACT "${TAVRIN_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/tavrin/tavrin")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and analyser for GetRight download logs")
set(CPACK_PACKAGE_DESCRIPTION
  "Tavrin reads the log file of the GetRight download manager (run under Wine)
and rebuilds one record per download: URL, local path, start and finish time,
resumes, restarts, mirror swaps and kilobytes recovered. It shows the log's
totals and the downloads in a tree in five orders, searches the tree, opens a
download's file or URL, and watches the log and GetRight's running downloads.

The package holds tavrin (a skinned window with a tray icon), koslin (the same
viewer in a plain window) and tavrin-report (the analysis as text), and the
small Windows program through which they reach a GetRight running under Wine.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps finds the Qt libraries; the xcb platform plugin and the
# window's fonts are loaded at run time, so no library names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2")
# GetRight runs under Wine; without it the bridge is not used and the monitor
# speaks only the local-socket protocol.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "wine")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
