# Installs the build BUILD into a fresh prefix and checks that a desktop finds quarn there: the
# program in its program directory, the desktop entry naming it, the icon and the script type.
set(prefix "${BUILD}/install-check")
file(REMOVE_RECURSE "${prefix}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${prefix}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(file "${LIBDIR}/quarn/quarn" "${LIBDIR}/quarn/readme.txt" share/applications/quarn.desktop
             share/icons/hicolor/scalable/apps/quarn.svg share/mime/packages/quarn-script.xml)
  if(NOT EXISTS "${prefix}/${file}")
    message(FATAL_ERROR "missing after the install: ${file}")
  endif()
endforeach()
file(STRINGS "${prefix}/share/applications/quarn.desktop" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=${prefix}/${LIBDIR}/quarn/quarn")
  message(FATAL_ERROR "the desktop entry runs the wrong program: ${exec}")
endif()
file(REMOVE_RECURSE "${prefix}")
