# Release packages, made by cpack in a configured build folder:
#   Linux:   cpack -G TGZ (the program, both manual pages, the READMEs, LICENSE)
#            cpack -G DEB (from a build configured with -DTAVREL_STATIC=OFF
#                          -DCMAKE_INSTALL_PREFIX=/usr, as Debian wants)
#   Windows: cpack -G ZIP (tavrel.exe, the manual as text, the READMEs, LICENSE)
# Each generator takes its own set of install components; see the CPack
# project config file written below.

# Run as a script (cmake -DPAGE=... -DTEXT=... -DGROFF=... -P packaging.cmake),
# it renders one manual page as text for Windows' Notepad: no overstrike or
# escape sequences, CR LF line ends, and a byte order mark so that Notepads
# older than Windows 10 read the UTF-8 instead of guessing the ANSI code page.
if(CMAKE_SCRIPT_MODE_FILE)
    execute_process(COMMAND "${GROFF}" -k -t -man -Tutf8 -P-cbou "${PAGE}"
                    OUTPUT_VARIABLE text RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR text STREQUAL "")
        message(FATAL_ERROR "groff could not render ${PAGE} (status ${status})")
    endif()
    string(REPLACE "\n" "\r\n" text "${text}")
    string(ASCII 239 187 191 bom)
    file(WRITE "${TEXT}" "${bom}${text}")
    return()
endif()

set(tavrel_license_file ${PROJECT_SOURCE_DIR}/LICENSE)
set(tavrel_debian_release 1)
set(TAVREL_MAINTAINER "the tavrel developers <tavrel@example.org>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")
# The date of this release, for the Debian changelog; fixed, so that
# rebuilding the package gives the same bytes.
set(tavrel_release_date "Fri, 11 Dec 2026 12:00:00 +0000")

if(WIN32)
    # Windows compares the binary version field by field; it takes CMake's own
    # reading of the version (0.01 is major 0, minor 1), so that the order of
    # releases is the same for both.
    set(tavrel_version_binary "")
    foreach(field MAJOR MINOR PATCH TWEAK)
        set(value "${PROJECT_VERSION_${field}}")
        if(value STREQUAL "")
            set(value 0)
        endif()
        math(EXPR value "${value}")
        list(APPEND tavrel_version_binary ${value})
    endforeach()
    string(REPLACE ";" "," tavrel_version_binary "${tavrel_version_binary}")
    enable_language(RC)
    configure_file(tool/version.rc.in ${PROJECT_BINARY_DIR}/version.rc @ONLY)
    target_sources(tavrel PRIVATE ${PROJECT_BINARY_DIR}/version.rc)

    # The manual as text, rendered from the roff pages at build time.
    find_program(TAVREL_GROFF groff)
    if(TAVREL_GROFF)
        set(tavrel_text_pages "")
        foreach(page tavrel tavrel.ja)
            set(text ${PROJECT_BINARY_DIR}/manual/${page}.txt)
            add_custom_command(OUTPUT ${text}
                COMMAND ${CMAKE_COMMAND} -DGROFF=${TAVREL_GROFF}
                        -DPAGE=${PROJECT_SOURCE_DIR}/doc/${page}.1 -DTEXT=${text}
                        -P ${CMAKE_CURRENT_LIST_FILE}
                DEPENDS doc/${page}.1 ${CMAKE_CURRENT_LIST_FILE}
                COMMENT "Rendering doc/${page}.1 as text")
            list(APPEND tavrel_text_pages ${text})
        endforeach()
        add_custom_target(tavrel_text_manual ALL DEPENDS ${tavrel_text_pages})
        install(FILES ${tavrel_text_pages} DESTINATION . COMPONENT text_manual)
    else()
        set(tavrel_no_groff "groff was not found, so the manual cannot be rendered as text \
for the Windows package. Install it (Debian: apt-get install groff-base; MSYS2: \
pacman -S groff) and configure again.")
        message(WARNING "${tavrel_no_groff}")
        install(CODE "message(FATAL_ERROR \"${tavrel_no_groff}\")"
                COMPONENT text_manual EXCLUDE_FROM_ALL)
    endif()
else()
    # Debian wants its manual pages and changelog compressed with gzip -9n
    # (no name or time stamp inside), and the license in its copyright format.
    # They are zipped only when the "debian" component is installed, which
    # plain installs leave out.
    set(debian_dir ${PROJECT_BINARY_DIR}/debian)
    file(READ ${tavrel_license_file} license)
    string(FIND "${license}" "Permission" start)
    string(SUBSTRING "${license}" ${start} -1 license)
    string(STRIP "${license}" license)
    string(REPLACE "\n\n" "\n.\n" license "${license}")
    string(REPLACE "\n" "\n " license "${license}")
    file(WRITE ${debian_dir}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: tavrel

Files: *
Copyright: 2026 the tavrel developers
License: MIT
 ${license}
")
    file(WRITE ${debian_dir}/changelog.Debian
"tavrel (${PROJECT_VERSION}-${tavrel_debian_release}) unstable; urgency=medium

  * First release.

 -- ${TAVREL_MAINTAINER}  ${tavrel_release_date}
")
    find_program(TAVREL_GZIP gzip REQUIRED)
    function(tavrel_debian_gzip source zipped destination)
        get_filename_component(zipped_dir ${zipped} DIRECTORY)
        install(CODE "file(MAKE_DIRECTORY \"${zipped_dir}\")
execute_process(COMMAND \"${TAVREL_GZIP}\" -9n INPUT_FILE \"${source}\" OUTPUT_FILE \"${zipped}\"
                COMMAND_ERROR_IS_FATAL ANY)" COMPONENT debian EXCLUDE_FROM_ALL)
        install(FILES ${zipped} DESTINATION ${destination} COMPONENT debian EXCLUDE_FROM_ALL)
    endfunction()
    tavrel_debian_gzip(${PROJECT_SOURCE_DIR}/doc/tavrel.1 ${debian_dir}/man/man1/tavrel.1.gz
                       ${CMAKE_INSTALL_MANDIR}/man1)
    tavrel_debian_gzip(${PROJECT_SOURCE_DIR}/doc/tavrel.ja.1 ${debian_dir}/man/ja/man1/tavrel.1.gz
                       ${CMAKE_INSTALL_MANDIR}/ja/man1)
    tavrel_debian_gzip(${debian_dir}/changelog.Debian ${debian_dir}/changelog.Debian.gz
                       ${CMAKE_INSTALL_DOCDIR})
    # This package is installed directly, never uploaded to Debian, so it
    # has no bug of Debian's to close.
    file(WRITE ${debian_dir}/lintian-overrides "tavrel: initial-upload-closes-no-bugs\n")
    install(FILES ${debian_dir}/lintian-overrides RENAME tavrel
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
            COMPONENT debian EXCLUDE_FROM_ALL)
    install(FILES ${debian_dir}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR}
            COMPONENT debian EXCLUDE_FROM_ALL)
endif()

set(CPACK_PACKAGE_VENDOR "the tavrel developers")
set(CPACK_PACKAGE_CONTACT "${TAVREL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "expand an NES image to the mapper 1 layout")
# Debian shows these lines as they are, so each stays under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION "tavrel takes an iNES image laid out for the simplest cartridge board
(NROM: 32 KB of PRG-ROM, 8 KB of CHR-ROM) and writes the expanded image
laid out for a board with iNES mapper number 1 (MMC1): 128 KB of PRG-ROM
and 128 KB of CHR-ROM, built from copies of the source's banks. That gives
a hack room to grow into.

Its console texts are Japanese, in Shift-JIS.")
set(CPACK_RESOURCE_FILE_LICENSE ${tavrel_license_file})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
else()
    set(CPACK_GENERATOR TGZ)
    set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${tavrel_debian_release})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# Which install components go into which package.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackComponents.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE}
"if(CPACK_GENERATOR STREQUAL \"DEB\")
    set(components program debian)
elseif(CPACK_GENERATOR STREQUAL \"ZIP\")
    set(components program documents text_manual)
else()
    set(components program manual documents)
endif()
set(CPACK_INSTALL_CMAKE_PROJECTS \"\")
foreach(component \${components})
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS \"${PROJECT_BINARY_DIR}\" tavrel \${component} /)
endforeach()
")

include(CPack)
