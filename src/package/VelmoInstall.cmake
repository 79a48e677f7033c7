# What `cmake --install` puts under the prefix. Every installed file is relocatable: libraries find
# each other through $ORIGIN, the pkg-config files through ${pcfiledir}, the CMake package through
# its own folder, the component loader through the folder of libvelmo.
# LIB is lib, or lib/x86_64-linux-gnu (multiarch) when the prefix is /usr on Debian.
#   bin/velmo                       LIB/libvelmo.so.1, LIB/libvelmo-host.so.1
#   LIB/velmo/                      components, classes.reg, velmo-commands
#   include/velmo/                  headers      LIB/cmake/velmo/, LIB/pkgconfig/velmo{,-host}.pc
#   share/velmo/exif.ini            example display overrides (copy beside libvelmo10.so, or --ini)
#   share/man/man1/, share/bash-completion/completions/velmo, share/zsh/vendor-completions/_velmo
include(CMakePackageConfigHelpers)

set(velmo_install_components ${CMAKE_INSTALL_LIBDIR}/velmo)

set_target_properties(velmo_runtime velmo_host_runtime PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(velmo10_component velmo10_drawing_component kxbasalt10_component PROPERTIES INSTALL_RPATH "$ORIGIN/..")

# Every file belongs to one install component, and each component is one Debian package
# (VelmoPackage.cmake): runtime, host, components, command, dev, python.
install(TARGETS velmo_runtime EXPORT velmoTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev)
install(TARGETS velmo_host_runtime EXPORT velmoTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT host NAMELINK_COMPONENT dev)
install(TARGETS velmo10_component velmo10_drawing_component kxbasalt10_component
  LIBRARY DESTINATION ${velmo_install_components} NAMELINK_SKIP COMPONENT components)
install(FILES ${velmo_component_dir}/classes.reg DESTINATION ${velmo_install_components} COMPONENT components)
install(TARGETS velmo_full_command RUNTIME DESTINATION ${velmo_install_components} COMPONENT command)
install(TARGETS velmo_launcher RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT command)

# Headers keep their folders, so the runtime's own includes ("automation/object.h") resolve.
foreach(dir automation runtime codecs host gfx platform)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/${dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velmo/${dir} COMPONENT dev
    FILES_MATCHING PATTERN "*.h")
endforeach()
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/include/velmo/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velmo COMPONENT dev)

# find_package(velmo): velmo::velmo (libvelmo) and velmo::host (libvelmo-host).
set(velmo_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/velmo)
install(EXPORT velmoTargets NAMESPACE velmo:: DESTINATION ${velmo_cmake_dir} COMPONENT dev)
configure_package_config_file(velmoConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/velmoConfig.cmake
  INSTALL_DESTINATION ${velmo_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/velmoConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/velmoConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/velmoConfigVersion.cmake
  DESTINATION ${velmo_cmake_dir} COMPONENT dev)

# pkg-config: velmo (libvelmo) and velmo-host (adds libvelmo-host). The prefix is found from the
# file's own folder, as many levels up as the library folder is deep (lib/pkgconfig, or
# lib/x86_64-linux-gnu/pkgconfig under /usr on Debian).
file(RELATIVE_PATH velmo_pc_to_prefix /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
foreach(pc velmo velmo-host)
  configure_file(${pc}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
endforeach()

install(FILES exif.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/velmo COMPONENT components)

# The Python module (python/, built with -DVELMO_PYTHON=ON) installs itself into
# VELMO_PYTHON_INSTALL_DIR, by default lib/python3.X/dist-packages: the folder Debian's python3 reads
# under a prefix (site-packages is another Python's layout).

# Shell completion, where bash-completion and Debian's zsh look for it.
install(FILES ${PROJECT_SOURCE_DIR}/completion/velmo.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
  RENAME velmo COMPONENT command)
install(FILES ${PROJECT_SOURCE_DIR}/completion/_velmo DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions
  COMPONENT command)
