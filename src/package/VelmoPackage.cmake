# Debian packages from the install components, with CPack's DEB generator: the install rules already
# say where every file goes, so CPack only adds the control data, and dpkg-shlibdeps computes the
# dependencies on system libraries. (debhelper would want a debian/ source tree that builds the
# project a second time, with its own build folder; CI builds it optimised once, in build/release.)
#   scripts/package.sh   builds them into dist/
# Packages follow Debian's split: one per shared library named after its SONAME, the plugins the
# loader opens by ProgID as a package of their own (like a library's loaders), the command, the
# development files and the Python module.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmo)
set(CPACK_PACKAGE_VENDOR "velmo developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "velmo developers <maintainers@users.noreply.c-seed-09117619.example>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://velmo.invalid/")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING IGNORE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Our own libraries are not in any package yet when dpkg-shlibdeps looks; it finds them in the build
# tree, and the dependencies between our packages are the DEPENDS below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${velmo_lib_dir} ${velmo_component_dir})
set(CPACK_COMPONENTS_ALL runtime host components command dev)
# python/ builds the module in optimised builds only, after this folder.
set(velmo_deb_python OFF)
if(VELMO_PYTHON AND NOT VELMO_SANITIZE)
  set(velmo_deb_python ON)
  list(APPEND CPACK_COMPONENTS_ALL python)
  if(NOT DEFINED Python_EXECUTABLE AND EXISTS /usr/bin/python3)
    set(Python_EXECUTABLE /usr/bin/python3)
  endif()
  find_package(Python 3.9 REQUIRED COMPONENTS Interpreter)
endif()

set(velmo_doc_in ${CMAKE_CURRENT_SOURCE_DIR}/debian)
set(velmo_doc_out ${CMAKE_CURRENT_BINARY_DIR}/debian)
string(TIMESTAMP velmo_changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)

# One package: its install component, name, section, one-line summary (the long description is
# debian/PACKAGE.description), the components it needs and other packages it needs.
function(velmo_deb component package section summary)
  cmake_parse_arguments(ARG "" "" "DEPENDS;EXTRA" ${ARGN})
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${package} PARENT_SCOPE)
  set(CPACK_DEBIAN_${upper}_PACKAGE_SECTION ${section} PARENT_SCOPE)
  file(READ ${velmo_doc_in}/${package}.description long)
  string(STRIP "${long}" long)
  set(CPACK_COMPONENT_${upper}_DESCRIPTION "${summary}\n${long}" PARENT_SCOPE)
  set(CPACK_COMPONENT_${upper}_DEPENDS ${ARG_DEPENDS} PARENT_SCOPE)
  if(ARG_EXTRA)
    set(CPACK_DEBIAN_${upper}_PACKAGE_DEPENDS "${ARG_EXTRA}" PARENT_SCOPE)
  endif()
  # Each package carries its copyright and a Debian changelog, compressed as policy asks.
  set(package_name ${package})
  configure_file(${velmo_doc_in}/changelog.in ${velmo_doc_out}/${package}/changelog.Debian @ONLY)
  add_custom_command(OUTPUT ${velmo_doc_out}/${package}/changelog.Debian.gz
    COMMAND gzip -9nf -k changelog.Debian
    WORKING_DIRECTORY ${velmo_doc_out}/${package} DEPENDS ${velmo_doc_out}/${package}/changelog.Debian)
  add_custom_target(velmo_deb_changelog_${component} ALL DEPENDS ${velmo_doc_out}/${package}/changelog.Debian.gz)
  install(FILES ${velmo_doc_in}/copyright ${velmo_doc_out}/${package}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endfunction()

velmo_deb(runtime libvelmo1 libs "velmo runtime: automation objects and components by ProgID")
velmo_deb(host libvelmo-host1 libs "velmo host runtime: forms and picture boxes" DEPENDS runtime)
velmo_deb(components velmo-components libs "velmo components: the Velmo10 classes and their services"
  DEPENDS runtime host)
velmo_deb(command velmo graphics "graphics component library from the command line"
  DEPENDS runtime host components)
velmo_deb(dev libvelmo-dev libdevel "velmo development files: headers, CMake package, pkg-config"
  DEPENDS runtime host components EXTRA "libpixman-1-dev")
if(velmo_deb_python)
  # The module is built for this one Python version, as Debian's python3 (>= 3.X~), python3 (<< 3.X+1).
  math(EXPR velmo_python_next "${Python_VERSION_MINOR} + 1")
  velmo_deb(python python3-velmo python "velmo for Python 3: objects by ProgID, late-bound"
    DEPENDS host components
    EXTRA "python3 (>= ${Python_VERSION_MAJOR}.${Python_VERSION_MINOR}~), python3 (<< ${Python_VERSION_MAJOR}.${velmo_python_next})")
endif()
# The shared libraries get a shlibs file and ldconfig triggers.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# ldconfig runs through a dpkg trigger, as lintian asks of shared library packages.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${velmo_doc_in}/triggers)
set(CPACK_DEBIAN_HOST_PACKAGE_CONTROL_EXTRA ${velmo_doc_in}/triggers)

include(CPack)
