# The sample payload of a Windows build's package folder: the driver files of
# "Printer Driver/x86" and "Printer Driver/x64" (text files marked as samples,
# written by tools/make_payload.cpp, built for the build machine) and the
# DPInst stand-ins "USB Driver/x86/dpinstx86.exe" and "USB Driver/x64/dpinstx64.exe".
set(TQ_HOST_CXX c++ CACHE STRING "C++ compiler of the build machine, for build tools")

set(tq_payload_tool ${CMAKE_BINARY_DIR}/tools/make_payload)
set(tq_payload_sources
    ${PROJECT_SOURCE_DIR}/tools/make_payload.cpp
    ${PROJECT_SOURCE_DIR}/catalog/model_catalog.cpp
    ${PROJECT_SOURCE_DIR}/install/plan.cpp)
add_custom_command(OUTPUT ${tq_payload_tool}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/tools
  COMMAND ${TQ_HOST_CXX} -std=c++17 -O1 -I${PROJECT_SOURCE_DIR} ${tq_payload_sources} -o ${tq_payload_tool}
  DEPENDS ${tq_payload_sources} ${PROJECT_SOURCE_DIR}/catalog/model_catalog.h ${PROJECT_SOURCE_DIR}/install/plan.h
  COMMENT "Building the payload generator for the build machine"
  VERBATIM)
# Two of the files written stand for the payload: the rule runs again when
# the package folder has been removed.
set(tq_payload_files "${TQ_PACKAGE_DIR}/Printer Driver/x86/uniDRV.DLL" "${TQ_PACKAGE_DIR}/Printer Driver/x64/uniDRV.DLL")
add_custom_command(OUTPUT ${tq_payload_files}
  COMMAND ${tq_payload_tool} ${TQ_PACKAGE_DIR}
  DEPENDS ${tq_payload_tool}
  COMMENT "Writing the sample driver payload into the package folder"
  VERBATIM)
add_custom_target(tq_payload ALL DEPENDS ${tq_payload_files})
add_dependencies(tq_package tq_payload)

foreach(arch x86 x64)
  add_executable(dpinst${arch} WIN32 ${PROJECT_SOURCE_DIR}/tools/dpinst_standin.cpp)
  tq_package_target(dpinst${arch} "USB Driver/${arch}")
endforeach()
