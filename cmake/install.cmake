# What `cmake --install` puts under the prefix, and the Debian package made from it by CPack.
include(GNUInstallDirs)

set(vw_data ${PROJECT_SOURCE_DIR}/data)
install(TARGETS vertwright-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET vertwright)
    install(TARGETS vertwright RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${vw_data}/vertwright.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${vw_data}/vertwright.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    # Rendered from the SVG: rsvg-convert -w 256 -h 256 vertwright.svg -o vertwright.png
    install(FILES ${vw_data}/vertwright.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
    install(FILES ${vw_data}/vertwright-mime.xml RENAME vertwright.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
    # File managers draw .ebo icons with vertwright-cli thumbnail, for the MIME type above.
    install(FILES ${vw_data}/vertwright.thumbnailer DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)
endif()

# The Python module and its type stubs, where Debian's python3 looks under the prefix: both
# /usr/lib/python3.X/dist-packages (the package) and /usr/local/lib/python3.X/dist-packages are
# on its path.
if(TARGET vertwright_python)
    set(VW_PYTHON_INSTALL_DIR lib/python${VW_PYTHON_VERSION}/dist-packages
        CACHE STRING "Where the Python module goes, under the install prefix")
    install(TARGETS vertwright_python LIBRARY DESTINATION ${VW_PYTHON_INSTALL_DIR})
    install(FILES ${PROJECT_SOURCE_DIR}/src/python/vertwright.pyi
        DESTINATION ${VW_PYTHON_INSTALL_DIR})
endif()

# Man pages go compressed, as Debian keeps them.
find_program(VW_GZIP gzip REQUIRED)
set(vw_man_pages vertwright-cli.1)
if(TARGET vertwright)
    list(APPEND vw_man_pages vertwright.1)
endif()
foreach(page ${vw_man_pages})
    set(packed ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${packed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
        COMMAND ${VW_GZIP} -9 -n -c ${vw_data}/${page} > ${packed}
        DEPENDS ${vw_data}/${page} VERBATIM)
    list(APPEND vw_packed_pages ${packed})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${vw_packed_pages})
install(FILES ${vw_packed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Installing or packaging needs only what it installs, not every test and benchmark.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vertwright)
set(CPACK_PACKAGE_VENDOR "Vertwright")
set(CPACK_PACKAGE_CONTACT "Vertwright developers <vertwright@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the vertices of EBO 3D model files")
set(CPACK_PACKAGE_DESCRIPTION
    "Vertwright opens EBO 3D models (version 6, plain mesh and delta layouts), shows them in\
 plane and UV views and edits vertex positions, texture coordinates and colours, saving\
 back only the vertex blocks. vertwright-cli inspects, checks and converts the same files, and\
 the Python module vertwright gives scripts their vertices as NumPy arrays.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
if(TARGET vertwright_python)
    # The module is for the python3 it was built with; its arrays need NumPy.
    string(APPEND CPACK_DEBIAN_PACKAGE_RECOMMENDS
        ", python3 (>= ${VW_PYTHON_VERSION}), python3 (<< ${VW_PYTHON_NEXT_VERSION}), python3-numpy")
endif()
include(CPack)
