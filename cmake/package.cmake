# The package folder of a Windows build: ${CMAKE_BINARY_DIR}/package, laid out
# like dist/ (see README). Tests run the exes from there; scripts/build makes
# dist/ from the win32 package and the win64 exes.
set(TQ_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
add_custom_target(tq_package ALL)

# tq_package_target(<target> <subdir> [<file name>]): copies the target's file
# into the package, at <subdir> ("." for the top), under its own name or <file name>.
function(tq_package_target target subdir)
  if(ARGC GREATER 2)
    set(name ${ARGV2})
  else()
    set(name $<TARGET_FILE_NAME:${target}>)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory "${TQ_PACKAGE_DIR}/${subdir}"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}> "${TQ_PACKAGE_DIR}/${subdir}/${name}"
    VERBATIM)
  add_dependencies(tq_package ${target})
endfunction()

# TQPrinterDrivers.msi from the package folder (the 32-bit build's tqinstall
# and payload), made with wixl by packaging/build-msi.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TQ_MSI ${CMAKE_BINARY_DIR}/TQPrinterDrivers.msi)
  add_custom_target(tq_msi ALL
    COMMAND ${PROJECT_SOURCE_DIR}/packaging/build-msi ${TQ_PACKAGE_DIR} ${TQ_MSI} ${PROJECT_VERSION}
    BYPRODUCTS ${TQ_MSI}
    COMMENT "Building TQPrinterDrivers.msi"
    VERBATIM)
  add_dependencies(tq_msi tq_package)
endif()
