# The Debian package, made by CPack from the install rules: cpack -G DEB in a build
# configured with -DMV_PACKAGE=ON -DCMAKE_INSTALL_PREFIX=/usr (scripts/package.sh does it
# all and checks the result). The version is the project's, the Debian revision that of
# packaging/changelog's newest entry (read by packaging/CMakeLists.txt).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marrowvale-sound-decoder)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Marrowvale Sound Decoder team")
set(CPACK_PACKAGE_CONTACT "Marrowvale Sound Decoder team <team@mvdecoder.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "decoder for the sample packages of the game Marrowvale")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop tool for the sound archives of the adventure game Marrowvale.
It opens a sample package (*.mus music, *.svl speech, *.sel sounds),
decodes every sample from 4-bit IMA ADPCM to 16-bit PCM, lists the
samples, plays the selected one and saves it as a WAV file.

The command-line companion, marrowvale-sounds, does the same for batch
work: it lists, checks, extracts and plays the records of packages,
builds packages from sound files and gives chosen records new sounds.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_PACKAGE_RELEASE ${MV_DEBIAN_REVISION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://mvdecoder.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# cpack refuses a build whose man pages or icons may be missing.
set(CPACK_MV_PACKAGE ${MV_PACKAGE})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack-project-config.cmake)

include(CPack)
