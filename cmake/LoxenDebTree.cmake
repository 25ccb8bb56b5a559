# Run by cpack between laying out the packages' files and packing them: the tree under /opt of
# brenthor-loxen (component group "main") differs from the launcher component in two ways.
#  - No lib/plugins: the launcher then uses the system's Qt plug-ins, which are built against the
#    very Qt the package depends on and upgraded with it, and bring the desktop's themes and
#    input methods. Copies may break with the next Qt upgrade.
#  - log/launcher.debug is a link to the conffile in /etc. Relative, so that the tree also works
#    unpacked below another root (dpkg-deb -x).
set(tree "${CPACK_TEMPORARY_DIRECTORY}/main${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT EXISTS "${tree}/bin/loxen-launcher")
    message(FATAL_ERROR "LoxenDebTree: no launcher tree in ${tree}")
endif()
file(REMOVE_RECURSE "${tree}/lib/plugins")
file(REMOVE "${tree}/log/launcher.debug")
file(CREATE_LINK ../../../etc/brenthor-loxen/launcher.debug "${tree}/log/launcher.debug" SYMBOLIC)
