# What `cmake --install` puts where (GNUInstallDirs), and the Debian package
# made from the same rules (`cpack -G DEB` in the build folder):
#
#   bin/korvan                          the host's command line
#   lib/libkorvan.so.1                  the host library (SONAME, VERSION)
#   lib/korvan/                         the host's export and window modules
#   lib/korvan/plugins/                 the plug-ins (tarvo_in.so and its windows)
#   include/korvan/                     korvan_c.h, plugin/host/*.h for plug-in authors
#   lib/cmake/korvan/, lib/pkgconfig/   find_package(korvan), korvan.pc
#   lib/python3/dist-packages/korvan/   the Python package (TARVO_PYTHON_DIR)
#   share/korvan/korvan_pov.zip         the Blender add-on
#   share/doc/korvan/                   LICENSE and the third-party notices
#
# Each installed file finds the host library through a run path relative to
# itself, so the tree works from any prefix without ld.so.conf.

include(CMakePackageConfigHelpers)

set(TARVO_PYTHON_DIR "lib/python3/dist-packages" CACHE STRING
    "Where the Python package is installed, relative to the prefix")
set(module_dir ${CMAKE_INSTALL_LIBDIR}/${KORVAN_MODULE_SUBDIR})
set(plugin_dir ${CMAKE_INSTALL_LIBDIR}/${KORVAN_PLUGIN_SUBDIR})

# The run path from an installed folder to the library's folder. $ORIGIN
# first: in the build tree everything lies beside everything else.
function(tarvo_rpath_to_lib target from)
  file(RELATIVE_PATH up /prefix/${from} /prefix/${CMAKE_INSTALL_LIBDIR})
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN:$ORIGIN/${up}")
endfunction()
tarvo_rpath_to_lib(korvan_cli ${CMAKE_INSTALL_BINDIR})
tarvo_rpath_to_lib(korvan_export_module ${module_dir})
tarvo_rpath_to_lib(korvan_gui_module ${module_dir})
tarvo_rpath_to_lib(tarvo_in ${plugin_dir})
tarvo_rpath_to_lib(tarvo_in_ui ${plugin_dir})
tarvo_rpath_to_lib(tarvo_csg ${plugin_dir})

install(TARGETS korvan_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(TARGETS korvan EXPORT korvanTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev)
install(TARGETS korvan_export_module korvan_gui_module
        LIBRARY DESTINATION ${module_dir} COMPONENT runtime)
install(TARGETS tarvo_in tarvo_in_ui tarvo_csg LIBRARY DESTINATION ${plugin_dir} COMPONENT runtime)

# The headers: the C interface, and the host interface a plug-in is written
# against (plugin/host/, named from include/korvan/ as in the source tree).
install(FILES korvan/korvan_c.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/korvan COMPONENT dev)
file(GLOB host_headers ${PROJECT_SOURCE_DIR}/plugin/host/*.h)
install(FILES ${host_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/korvan/plugin/host
        COMPONENT dev)

# find_package(korvan) gives korvan::korvan.
set(cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/korvan)
install(EXPORT korvanTargets NAMESPACE korvan:: DESTINATION ${cmake_dir} COMPONENT dev)
configure_package_config_file(cmake/korvanConfig.cmake.in
  ${PROJECT_BINARY_DIR}/korvanConfig.cmake INSTALL_DESTINATION ${cmake_dir} PATH_VARS plugin_dir)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/korvanConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/korvanConfig.cmake ${PROJECT_BINARY_DIR}/korvanConfigVersion.cmake
        DESTINATION ${cmake_dir} COMPONENT dev)

# pkg-config: korvan.pc, its prefix relative to itself.
file(RELATIVE_PATH pc_to_prefix /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(cmake/korvan.pc.in ${PROJECT_BINARY_DIR}/korvan.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/korvan.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT dev)

# The Python package, told where the library lies relative to itself.
file(RELATIVE_PATH python_to_lib /prefix/${TARVO_PYTHON_DIR}/korvan
     /prefix/${CMAKE_INSTALL_LIBDIR})
configure_file(cmake/installed.py.in ${PROJECT_BINARY_DIR}/python_install/_installed.py @ONLY)
install(FILES python/korvan/__init__.py python/korvan/py.typed
              ${PROJECT_BINARY_DIR}/python_install/_installed.py
        DESTINATION ${TARVO_PYTHON_DIR}/korvan COMPONENT python)

# The Blender add-on zip, to install from Blender's preferences.
install(FILES ${addon_zip} DESTINATION ${CMAKE_INSTALL_DATADIR}/korvan COMPONENT python)

# The licence and the notices of what is linked in.
install(FILES LICENSE THIRD_PARTY_NOTICES.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/korvan
        COMPONENT runtime)

include(cmake/package.cmake)
