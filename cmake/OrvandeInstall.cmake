# What `cmake --install` lays out under the prefix. The programs find their plug-in in
# lib/orvande/ and their data in share/orvande/, both beside their bin/ folder. Component `cli`
# is the command-line program with everything it uses, `gui` the desktop program and its
# desktop entry, metadata and man page (`cmake --install DIR --component cli` for a server).
set(ORVANDE_INSTALL_PLUGIN_DIR lib/orvande)
set(ORVANDE_INSTALL_DATA_DIR share/orvande)
set(ORVANDE_APP_ID org.pellvane.orvande)

install(TARGETS orvande-cli RUNTIME DESTINATION bin COMPONENT cli)
if(TARGET orvande-open-device)
  install(TARGETS orvande-open-device RUNTIME DESTINATION bin COMPONENT gui)
endif()
install(TARGETS typeprobe LIBRARY DESTINATION ${ORVANDE_INSTALL_PLUGIN_DIR} NAMELINK_SKIP
        COMPONENT cli)

install(FILES data/tips.txt DESTINATION ${ORVANDE_INSTALL_DATA_DIR} COMPONENT cli)
install(DIRECTORY data/help DESTINATION ${ORVANDE_INSTALL_DATA_DIR} COMPONENT cli)
install(FILES data/icons/orvande.svg DESTINATION ${ORVANDE_INSTALL_DATA_DIR}/icons COMPONENT cli)
install(FILES data/man/orvande-cli.1 DESTINATION share/man/man1 COMPONENT cli)
install(FILES data/completion/orvande-cli.bash DESTINATION share/bash-completion/completions
        RENAME orvande-cli COMPONENT cli)

if(TARGET orvande)
  install(TARGETS orvande RUNTIME DESTINATION bin COMPONENT gui)
  install(FILES data/icons/orvande.svg DESTINATION share/icons/hicolor/scalable/apps COMPONENT gui)
  install(FILES data/orvande.desktop DESTINATION share/applications COMPONENT gui)
  configure_file(data/${ORVANDE_APP_ID}.metainfo.xml.in
                 ${PROJECT_BINARY_DIR}/data/${ORVANDE_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/data/${ORVANDE_APP_ID}.metainfo.xml DESTINATION share/metainfo
          COMPONENT gui)
  install(FILES data/man/orvande.1 DESTINATION share/man/man1 COMPONENT gui)
endif()
