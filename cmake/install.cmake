# cmake --install: the programs, the APE library in a folder of the program's own (the program
# opens it beside itself or from <program folder>/../lib/corvath), the desktop entry, the
# software-centre data, the icon, the manual pages and the user guide where a desktop looks for
# them.
include(GNUInstallDirs)

install(TARGETS corvath corvath-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS corvath_ape LIBRARY DESTINATION lib/corvath)
install(FILES resources/corvath.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/corvath.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/corvath.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES docs/man/corvath.1 docs/man/corvath-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The program looks for the guide at <program folder>/../share/doc/corvath.
install(FILES docs/user-guide.html DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvath)
# bash-completion loads a command's completion from here on first use.
install(FILES resources/completion/corvath-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
