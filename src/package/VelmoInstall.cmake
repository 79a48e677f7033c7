# What `cmake --install` puts under the prefix. Every installed file is relocatable: libraries find
# each other through $ORIGIN, the pkg-config files through ${pcfiledir}, the CMake package through
# its own folder, the component loader through the folder of libvelmo.
#   bin/velmo                       lib/libvelmo.so.1, lib/libvelmo-host.so.1
#   lib/velmo/                      components, classes.reg, velmo-commands
#   include/velmo/                  headers      lib/cmake/velmo/, lib/pkgconfig/velmo{,-host}.pc
#   share/velmo/exif.ini            example display overrides (copy beside libvelmo10.so, or --ini)
include(CMakePackageConfigHelpers)

set(velmo_install_components ${CMAKE_INSTALL_LIBDIR}/velmo)

set_target_properties(velmo_runtime velmo_host_runtime PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(velmo10_component velmo10_drawing_component kxbasalt10_component PROPERTIES INSTALL_RPATH "$ORIGIN/..")

install(TARGETS velmo_runtime velmo_host_runtime EXPORT velmoTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development)
install(TARGETS velmo10_component velmo10_drawing_component kxbasalt10_component
  LIBRARY DESTINATION ${velmo_install_components} NAMELINK_SKIP)
install(FILES ${velmo_component_dir}/classes.reg DESTINATION ${velmo_install_components})
install(TARGETS velmo_full_command RUNTIME DESTINATION ${velmo_install_components})
install(TARGETS velmo_launcher RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Headers keep their folders, so the runtime's own includes ("automation/object.h") resolve.
foreach(dir automation runtime codecs host gfx platform)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/${dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velmo/${dir}
    FILES_MATCHING PATTERN "*.h")
endforeach()
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/include/velmo/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velmo)

# find_package(velmo): velmo::velmo (libvelmo) and velmo::host (libvelmo-host).
set(velmo_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/velmo)
install(EXPORT velmoTargets NAMESPACE velmo:: DESTINATION ${velmo_cmake_dir})
configure_package_config_file(velmoConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/velmoConfig.cmake
  INSTALL_DESTINATION ${velmo_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/velmoConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/velmoConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/velmoConfigVersion.cmake
  DESTINATION ${velmo_cmake_dir})

# pkg-config: velmo (libvelmo) and velmo-host (adds libvelmo-host).
foreach(pc velmo velmo-host)
  configure_file(${pc}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

install(FILES exif.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/velmo)

# The Python module (python/, built with -DVELMO_PYTHON=ON) installs itself into
# VELMO_PYTHON_INSTALL_DIR, by default lib/python3.X/dist-packages: the folder Debian's python3 reads
# under a prefix (site-packages is another Python's layout).
