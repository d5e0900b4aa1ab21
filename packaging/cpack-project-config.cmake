# Read by cpack: a Debian package is made only from a build configured with MV_PACKAGE,
# which has every manual page and icon.
if(NOT CPACK_MV_PACKAGE)
    message(FATAL_ERROR "Configure the build with -DMV_PACKAGE=ON before packaging it "
                        "(scripts/package.sh does)")
endif()
