# Where an install puts what is not under the prefix's usual folders. Every
# destination here is either relative to the install prefix or absolute; an
# absolute one is still put under DESTDIR by `cmake --install`.
#
#   VANDREL_INSTALL_DATADIR       share/vandrel (skin/, DefaultData/, Font/)
#   VANDREL_UDEV_RULES_DIR        udev's own rules folder (absolute: udev
#                                 reads only its fixed folders)
#   VANDREL_BASH_COMPLETION_DIR   bash-completion's folder, below the prefix
find_package(PkgConfig QUIET)

set(VANDREL_INSTALL_DATADIR "${CMAKE_INSTALL_DATADIR}/vandrel")
# How an installed program finds its data from its own folder.
file(RELATIVE_PATH VANDREL_DATA_FROM_PROGRAM "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${VANDREL_INSTALL_DATADIR}")

# Asks pkg-config for a variable of a module; empty when either is missing.
function(vandrel_pkg_variable out module variable)
  set(value "")
  if(PKG_CONFIG_FOUND)
    execute_process(COMMAND ${PKG_CONFIG_EXECUTABLE} --variable=${variable} ${module}
                    OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

vandrel_pkg_variable(udev_dir udev udevdir)
if(udev_dir STREQUAL "")
  set(udev_dir "/usr/lib/udev")
endif()
set(VANDREL_UDEV_RULES_DIR "${udev_dir}/rules.d" CACHE PATH "Folder the udev rule is installed to (absolute)")

# bash-completion's folder as its own prefix has it, moved below ours, so
# that an install into /usr/local or a home folder keeps it there.
vandrel_pkg_variable(completion_dir bash-completion completionsdir)
vandrel_pkg_variable(completion_prefix bash-completion prefix)
if(completion_dir STREQUAL "" OR NOT completion_dir MATCHES "^${completion_prefix}/")
  set(completion_dir "${CMAKE_INSTALL_DATADIR}/bash-completion/completions")
else()
  string(LENGTH "${completion_prefix}/" prefix_length)
  string(SUBSTRING "${completion_dir}" ${prefix_length} -1 completion_dir)
endif()
set(VANDREL_BASH_COMPLETION_DIR "${completion_dir}" CACHE PATH
    "Folder the bash completion is installed to (relative to the prefix, or absolute)")
