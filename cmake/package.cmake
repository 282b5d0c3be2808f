# `cpack -G DEB` in the build folder makes lumaro_<version>_<arch>.deb, whose dependencies are
# found by dpkg-shlibdeps from the libraries the programs link.
set(CPACK_PACKAGE_NAME lumaro)
set(CPACK_PACKAGE_VENDOR "Lumaro")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Transfert des photos d'une carte mémoire sur le disque")
set(CPACK_PACKAGE_DESCRIPTION "Lumaro vide une carte mémoire d'appareil photo sur le disque : noms d'après un masque,
rotation sans perte d'après l'orientation EXIF, copies en basse résolution pour le courriel,
suppression de la source après relecture de la copie, modes Batch et Photo/Photo, diaporama.")
set(CPACK_PACKAGE_CONTACT "Lumaro <contact@lumaro.example>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://lumaro.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see it: the plugin that draws the SVG icons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)
