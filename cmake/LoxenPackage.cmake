# Debian packages made by `cpack` in the build directory (scripts/package):
#   brenthor-loxen                the installed tree under /opt/BrenthorLoxen (component "launcher"),
#                                 the /usr/bin link, menu entry, icons, copyright and changelog
#   brenthor-loxen-sample-client  INFO and package/nimbrel.qar of the sample client
# Depends is computed by dpkg-shlibdeps from the binaries and plug-ins actually shipped.

set(LOXEN_DEB_PREFIX /opt/BrenthorLoxen)
set(LOXEN_DEB_RELEASE 1)
set(LOXEN_DEB_VERSION ${PROJECT_VERSION}-${LOXEN_DEB_RELEASE})
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE LOXEN_DEB_ARCH
    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
# The files cpack writes into the build directory.
set(LOXEN_DEB_MAIN_FILE brenthor-loxen_${LOXEN_DEB_VERSION}_${LOXEN_DEB_ARCH}.deb)
set(LOXEN_DEB_SAMPLE_FILE brenthor-loxen-sample-client_${LOXEN_DEB_VERSION}_all.deb)
set(LOXEN_SAMPLE_CLIENT_BUILD 121 CACHE STRING "build number of the packaged sample client")
set(deb_dir ${PROJECT_BINARY_DIR}/debian)
set(deb_res ${PROJECT_SOURCE_DIR}/resources/debian)

# The copyright, the gzipped changelog and the lintian overrides of one package.
function(loxen_deb_docs package component)
    set(LOXEN_DEB_PACKAGE ${package})
    configure_file(${deb_res}/changelog.in ${deb_dir}/${package}/changelog @ONLY)
    execute_process(COMMAND gzip -9n -c ${deb_dir}/${package}/changelog
        OUTPUT_FILE ${deb_dir}/${package}/changelog.Debian.gz COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${deb_res}/copyright ${deb_dir}/${package}/changelog.Debian.gz
        DESTINATION /usr/share/doc/${package} COMPONENT ${component})
    install(FILES ${deb_res}/${package}.lintian-overrides DESTINATION /usr/share/lintian/overrides
        RENAME ${package} COMPONENT ${component})
endfunction()

# What the system sees of the launcher: the command, the menu entry and its icons.
file(MAKE_DIRECTORY ${deb_dir}/bin)
# Relative, so that the tree also works unpacked below another root (dpkg-deb -x).
file(CREATE_LINK ../..${LOXEN_DEB_PREFIX}/bin/loxen-launcher ${deb_dir}/bin/brenthor-loxen SYMBOLIC)
install(FILES ${deb_dir}/bin/brenthor-loxen DESTINATION /usr/bin COMPONENT deb_system)
set(LOXEN_LAUNCHER_EXEC /usr/bin/brenthor-loxen)
configure_file(${PROJECT_SOURCE_DIR}/resources/brenthor-loxen.desktop.in
    ${deb_dir}/brenthor-loxen.desktop @ONLY)
install(FILES ${deb_dir}/brenthor-loxen.desktop DESTINATION /usr/share/applications
    COMPONENT deb_system)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/icons/hicolor
    DESTINATION /usr/share/icons COMPONENT deb_system)
loxen_deb_docs(brenthor-loxen deb_system)

# What a Debian user expects of a command: a manual page, AppStream metadata for the software
# centres, and the level file as a conffile in /etc, so that an edit survives upgrades.
configure_file(${deb_res}/brenthor-loxen.1.in ${deb_dir}/brenthor-loxen.1 @ONLY)
execute_process(COMMAND gzip -9n -c ${deb_dir}/brenthor-loxen.1
    OUTPUT_FILE ${deb_dir}/brenthor-loxen.1.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${deb_dir}/brenthor-loxen.1.gz DESTINATION /usr/share/man/man1 COMPONENT deb_system)
set(LOXEN_APPSTREAM_ID example.brenthor_loxen.Client)
configure_file(${deb_res}/brenthor-loxen.metainfo.xml.in
    ${deb_dir}/${LOXEN_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${deb_dir}/${LOXEN_APPSTREAM_ID}.metainfo.xml DESTINATION /usr/share/metainfo
    COMPONENT deb_system)
install(FILES ${PROJECT_SOURCE_DIR}/resources/log/launcher.debug DESTINATION /etc/brenthor-loxen
    COMPONENT deb_system)
file(WRITE ${deb_dir}/conffiles "/etc/brenthor-loxen/launcher.debug\n")
# The tree's own log/launcher.debug and lib/plugins are replaced in the package (LoxenDebTree).
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/LoxenDebTree.cmake)

# The sample client, packed by scripts/make-package.
set(sample_dir ${deb_dir}/sample-client)
add_custom_command(
    OUTPUT ${sample_dir}/INFO ${sample_dir}/package/nimbrel.qar
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/make-package ${LOXEN_SAMPLE_CLIENT_BUILD} ${sample_dir}
    DEPENDS ${PROJECT_SOURCE_DIR}/scripts/make-package
            ${PROJECT_SOURCE_DIR}/scripts/sample-client/cloud-loxen-ui
            ${PROJECT_SOURCE_DIR}/scripts/sample-client/start-stop
    COMMENT "Packing the sample client of build ${LOXEN_SAMPLE_CLIENT_BUILD}")
add_custom_target(loxen_sample_client ALL DEPENDS ${sample_dir}/INFO ${sample_dir}/package/nimbrel.qar)
install(FILES ${sample_dir}/INFO DESTINATION . COMPONENT sample_client)
install(FILES ${sample_dir}/package/nimbrel.qar DESTINATION package COMPONENT sample_client)
loxen_deb_docs(brenthor-loxen-sample-client sample_client)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brenthor-loxen)
set(CPACK_PACKAGE_VENDOR Brenthor)
set(CPACK_PACKAGE_CONTACT "Brenthor Loxen packaging <packaging@brenthor-loxen.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${LOXEN_DEB_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL launcher deb_system sample_client)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${LOXEN_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${LOXEN_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_MAIN_PACKAGE_NAME brenthor-loxen)
# The system's Wayland plug-ins, which the package's tree uses: without them a Wayland session
# that has no X11 beside it gets no window, but the work is done all the same.
set(CPACK_DEBIAN_MAIN_PACKAGE_RECOMMENDS qtwayland5)
set(CPACK_DEBIAN_MAIN_PACKAGE_CONTROL_EXTRA ${deb_dir}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_MAIN_DESCRIPTION "launcher of the Brenthor Loxen file-synchronisation client
Started from the desktop menu, it installs or updates your own copy of the
Brenthor Loxen client from the copy this system carries, with a small
progress window, and then starts it.")
set(CPACK_DEBIAN_SAMPLE_PACKAGE_NAME brenthor-loxen-sample-client)
set(CPACK_DEBIAN_SAMPLE_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_SAMPLE_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_SAMPLE_PACKAGE_DEPENDS "brenthor-loxen (= ${LOXEN_DEB_VERSION})")
set(CPACK_DEBIAN_SAMPLE_DESCRIPTION "sample client for the Brenthor Loxen launcher
A stand-in for the vendor's client package: a client that only records its
process id and waits, so that the launcher can be shown and tested.")

include(CPack)
cpack_add_component_group(main)
cpack_add_component_group(sample)
cpack_add_component(launcher GROUP main)
cpack_add_component(deb_system GROUP main)
cpack_add_component(sample_client GROUP sample)
