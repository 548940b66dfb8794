# Where `make install` and the Debian package put the program: the usual layout under the
# prefix. The program finds its sounds in PREFIX/share/tamiro/ from PREFIX/bin/.
include(GNUInstallDirs)
set(TAMIRO_APP_ID com.example.Tamiro)

install(TARGETS Tamiro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES assets/nl.mp3 assets/zd.mp3 DESTINATION ${CMAKE_INSTALL_DATADIR}/tamiro)
install(FILES assets/desktop/${TAMIRO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES assets/desktop/${TAMIRO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES assets/icons/${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${TAMIRO_APP_ID}.png)
endforeach()
install(FILES assets/icons/scalable.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TAMIRO_APP_ID}.svg)

# Debian wants the change log and the manual page compressed to the maximum, without a time stamp.
set(TAMIRO_DOC_GZ)
foreach(doc changelog tamiro.1)
  set(gz ${CMAKE_BINARY_DIR}/generated/${doc}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/assets/doc/${doc} > ${gz}
    DEPENDS ${CMAKE_SOURCE_DIR}/assets/doc/${doc})
  list(APPEND TAMIRO_DOC_GZ ${gz})
endforeach()
add_custom_target(tamiro_doc ALL DEPENDS ${TAMIRO_DOC_GZ})
add_dependencies(Tamiro tamiro_doc)
install(FILES assets/doc/copyright ${CMAKE_BINARY_DIR}/generated/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tamiro)
install(FILES ${CMAKE_BINARY_DIR}/generated/tamiro.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
