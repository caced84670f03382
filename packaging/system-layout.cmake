# Run by CPack on the staged tree of the Debian package, before it is packed: the folder staged
# under /opt/corvane keeps the console, the simulated head, the pictures and the README, while
# its desktop entry, icons, manual pages, AppStream metadata and commands move to where the
# desktop, man and the shell look for them.
set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
set(app "${root}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT EXISTS "${app}/corvane")
    message(FATAL_ERROR "no console staged at ${app}")
endif()

# The folder's own entry names its staging path; the system's entry names the command and the
# icon theme instead.
file(REMOVE "${app}/corvane.desktop")
set(CORVANE_EXEC corvane)
set(CORVANE_ICON corvane)
configure_file("${CPACK_CORVANE_DESKTOP_TEMPLATE}" "${root}/usr/share/applications/corvane.desktop"
               @ONLY)

file(MAKE_DIRECTORY "${root}/usr/share/icons")
file(RENAME "${app}/icons/hicolor" "${root}/usr/share/icons/hicolor")
file(REMOVE_RECURSE "${app}/icons")

# The console finds its pictures through the resolved path of its executable, so a link on the
# PATH still looks in /opt/corvane. The simulated head goes on the PATH too, for trying the
# console without hardware.
file(MAKE_DIRECTORY "${root}/usr/bin")
foreach(program corvane corvane-headsim)
    file(CREATE_LINK "${CPACK_PACKAGING_INSTALL_PREFIX}/${program}" "${root}/usr/bin/${program}"
         SYMBOLIC)
endforeach()

# The manual pages, compressed as Debian keeps them (gzip -n: the same page always gives the
# same bytes), and the AppStream metadata, where software centres look for it.
file(GLOB pages "${app}/share/man/man1/*.1")
if(NOT pages)
    message(FATAL_ERROR "no manual pages staged in ${app}/share/man/man1")
endif()
file(MAKE_DIRECTORY "${root}/usr/share/man/man1")
foreach(page ${pages})
    get_filename_component(name "${page}" NAME)
    execute_process(COMMAND gzip -9n -c "${page}"
                    OUTPUT_FILE "${root}/usr/share/man/man1/${name}.gz" RESULT_VARIABLE gzipped)
    if(NOT gzipped EQUAL 0)
        message(FATAL_ERROR "gzip of ${name} failed: ${gzipped}")
    endif()
endforeach()
file(MAKE_DIRECTORY "${root}/usr/share/metainfo")
file(RENAME "${app}/share/metainfo/corvane.metainfo.xml"
     "${root}/usr/share/metainfo/corvane.metainfo.xml")
file(REMOVE_RECURSE "${app}/share")

# What Debian asks of every package: the copyright, the package's own changelog, compressed
# (gzip -n, so the same changelog always gives the same bytes), and lintian's overrides for
# what this layout does on purpose.
if(NOT CPACK_CORVANE_CHANGELOG_VERSION STREQUAL CPACK_CORVANE_VERSION)
    message(FATAL_ERROR "packaging/changelog's top entry is for "
        "${CPACK_CORVANE_CHANGELOG_VERSION}; add one for ${CPACK_CORVANE_VERSION}")
endif()
set(doc "${root}/usr/share/doc/corvane")
file(MAKE_DIRECTORY "${doc}")
file(COPY "${CPACK_CORVANE_PACKAGING_DIR}/copyright" DESTINATION "${doc}")
execute_process(COMMAND gzip -9n -c "${CPACK_CORVANE_PACKAGING_DIR}/changelog"
                OUTPUT_FILE "${doc}/changelog.Debian.gz" RESULT_VARIABLE gzipped)
if(NOT gzipped EQUAL 0)
    message(FATAL_ERROR "gzip of the changelog failed: ${gzipped}")
endif()
file(MAKE_DIRECTORY "${root}/usr/share/lintian/overrides")
file(COPY_FILE "${CPACK_CORVANE_PACKAGING_DIR}/lintian-overrides"
     "${root}/usr/share/lintian/overrides/corvane")
