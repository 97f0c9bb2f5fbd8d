# `cpack -G DEB` in a build folder makes orvande_<version>_<arch>.deb from the install rules. Its
# dependencies are the Debian packages that own the shared libraries the programs link.
set(CPACK_PACKAGE_NAME orvande)
set(CPACK_PACKAGE_VENDOR "Orvande developers")
set(CPACK_PACKAGE_CONTACT "${ORVANDE_SUPPORT_MAIL}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find and recover deleted files on FAT and NTFS volumes")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvande reads a FAT12, FAT16, FAT32 or NTFS volume (an image file or a block device) sector\n"
    "by sector, never writes to it, rebuilds the tree of every folder and file it still\n"
    "describes, deleted ones included, and copies chosen files into another folder. It also\n"
    "finds volumes whose partition table is gone and copies a volume into an image file.\n"
    "This package holds the desktop program orvande and the command-line program orvande-cli.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Orvande developers <${ORVANDE_SUPPORT_MAIL}>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ORVANDE_WEB_SITE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "sleuthkit")

include(CPack)
