# The installed layout (cmake --install build --prefix P, and the Debian package, scripts/package):
#   P/bin/                       the program and its tools: every executable outside a tests/ folder,
#                                except those marked TARVIK_BUILD_TOOL (benchmarks, tarvik-skin, ...)
#   P/<libdir>/tarvik/           every shared library of ours, private: found through the run path,
#                                no headers and no unversioned .so links
#   P/share/tarvik/skin/         the generated pictures       } found from the program's folder
#   P/share/tarvik/templates/    the per-model templates      } (InstalledResources.h)
# A new program or library is installed without naming it here; packaging/ adds the desktop
# entries, the udev rules and whatever else the machine needs besides the build's own output.
include(GNUInstallDirs)

set(TARVIK_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/tarvik)
set(TARVIK_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/tarvik)

# Everything relative to the program's folder, so that a prefix copied elsewhere still works.
file(RELATIVE_PATH _tarvik_lib_from_bin /${CMAKE_INSTALL_BINDIR} /${TARVIK_INSTALL_LIBDIR})
file(RELATIVE_PATH TARVIK_DATA_FROM_BINDIR /${CMAKE_INSTALL_BINDIR} /${TARVIK_INSTALL_DATADIR})
set(CMAKE_INSTALL_RPATH "$ORIGIN/${_tarvik_lib_from_bin}")

# Every target of a folder and its subfolders, tests/ folders left out.
function(_tarvik_installable_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    get_filename_component(name ${sub} NAME)
    if(NOT name STREQUAL "tests")
      _tarvik_installable_targets(${sub} more)
      list(APPEND targets ${more})
    endif()
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Called once at the end of the top-level CMakeLists.txt, when every target exists.
function(tarvik_install_targets)
  _tarvik_installable_targets(${CMAKE_SOURCE_DIR} targets)
  set(programs)
  set(libraries)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    get_target_property(tool ${target} TARVIK_BUILD_TOOL)
    if(tool)
      continue()
    endif()
    if(type STREQUAL "EXECUTABLE")
      list(APPEND programs ${target})
    elseif(type STREQUAL "SHARED_LIBRARY")
      list(APPEND libraries ${target})
      # The libraries find each other in their own folder.
      set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
    endif()
  endforeach()
  install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Not executables: read permission is all a shared library needs.
  install(TARGETS ${libraries} LIBRARY DESTINATION ${TARVIK_INSTALL_LIBDIR} NAMELINK_SKIP
          PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  set_property(GLOBAL PROPERTY TARVIK_INSTALLED_PROGRAMS ${programs})
  set_property(GLOBAL PROPERTY TARVIK_INSTALLED_LIBRARIES ${libraries})
endfunction()
