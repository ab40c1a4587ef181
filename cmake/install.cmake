# cmake --install: the programs with the APE library beside them (the program opens it from its
# own folder), the desktop entry, the icon and the user guide where a desktop looks for them.
include(GNUInstallDirs)

install(TARGETS corvath corvath-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS corvath_ape LIBRARY DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/corvath.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/corvath.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The program looks for the guide at <program folder>/../share/doc/corvath.
install(FILES docs/user-guide.html DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvath)
# bash-completion loads a command's completion from here on first use.
install(FILES resources/completion/corvath-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
