# The Debian package: `cpack -G DEB` in the build folder (scripts/deb-check)
# makes korvan_VERSION_amd64.deb from the install rules, every component in
# one package, installed under /usr; its dependencies come from
# dpkg-shlibdeps, its copyright file from LICENSE and the notices.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The tarvo_in and korvan developers")
set(CPACK_PACKAGE_CONTACT "The tarvo_in and korvan developers <korvan@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "POV-Ray scene import plug-in with its host: library, command line, Python, Blender")
set(CPACK_PACKAGE_DESCRIPTION "korvan imports the polygon geometry of POV-Ray scene files (mesh2, mesh,
triangle, smooth_triangle) with the tarvo_in plug-in, as POV-Ray reads them,
and writes glTF, OBJ, PLY, STL, COLLADA or JSON. The package holds the korvan
command line and window, the host library libkorvan.so.1 with its C interface
and headers, the plug-in, the Python module (python3 -c 'import korvan') and
the Blender add-on (/usr/share/korvan/korvan_pov.zip).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # korvan_1.0.0_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The host library lies in the package itself: dpkg-shlibdeps finds it here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/bin)
# The Python module's own needs (ctypes is in python3 itself).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3, python3-numpy")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "blender, povray-includes")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# A shlibs file for libkorvan.so.1, and ldconfig after install and removal.
# (The modules and plug-ins have no SONAME: cpack says so and leaves them out.)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The copyright file Debian expects in /usr/share/doc/korvan/.
set(copyright ${PROJECT_BINARY_DIR}/debian/copyright)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license_text)
file(READ ${PROJECT_SOURCE_DIR}/THIRD_PARTY_NOTICES.md notices_text)
file(WRITE ${copyright} "korvan and tarvo_in\n\n${license_text}\n\n${notices_text}")
install(FILES ${copyright} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/korvan COMPONENT runtime)

include(CPack)
