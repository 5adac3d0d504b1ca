# `cpack -G DEB` in a build folder: a Debian package of what `cmake --install` installs (the
# program, the library with its headers and the CMake package files), under /usr. The program
# links the libraries of MORVA statically, so it needs only the C and C++ runtimes, which
# dpkg-shlibdeps (package dpkg-dev) finds and writes as the package's dependencies.
set(MORVA_PACKAGE_MAINTAINER "MORVA developers <morva@example.org>"
    CACHE STRING "Maintainer field of the Debian package (name <e-mail>)")

set(CPACK_PACKAGE_NAME morva)
set(CPACK_PACKAGE_VENDOR "MORVA developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "chemistry of geothermal waters: speciation, geothermometers, saturation curves")
set(CPACK_PACKAGE_DESCRIPTION
    "MORVA computes from analyses of water, steam condensate and gas the distribution of the\n\
dissolved components among aqueous species, gas pressures, silica, Na/K and other\n\
geothermometers and mineral saturation indices at a reference temperature, and follows\n\
the fluid through conductive cooling and adiabatic boiling. The package holds the program\n\
morva (interactive and batch: run, saturation, diagram, convert), the static library\n\
libmorva with its headers, and the CMake package files for find_package(morva).")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MORVA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
