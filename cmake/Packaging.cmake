# The Debian package: `cpack` in a build tree (scripts/package.sh does it all) makes
# sortana_VERSION_amd64.deb with everything the install rules put under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sortana)
set(CPACK_PACKAGE_VENDOR Verdell)
set(CPACK_PACKAGE_CONTACT "Verdell")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Card-sort analysis with dendrograms")
set(CPACK_PACKAGE_DESCRIPTION
    "Sortana reads the results of a card sort (its own raw data files, or CSV, TSV and XLSX\n\
tables from card-sort tools), writes the analysis files of the study and clusters its\n\
items into a dendrogram and a similarity matrix. The package holds the desktop program,\n\
the command-line program sortana-cli for batch work, and the user guide.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Staged through DESTDIR, so the install rules see their real prefix and leave the mime
# database of the machine that builds the package alone; the installed system's database is
# updated by shared-mime-info's trigger on /usr/share/mime/packages.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries come from dpkg-shlibdeps; the rest is what the programs rely on without
# linking it: the layout's font metrics are those of Liberation Sans, and the document type is
# only known once shared-mime-info has read it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, shared-mime-info")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme")

include(CPack)
