# Installs the build BUILD into a fresh prefix and checks that a desktop finds quarn and remote
# there: the programs in their program directory, the desktop entries naming them, the icons and
# the script type.
set(prefix "${BUILD}/install-check")
file(REMOVE_RECURSE "${prefix}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${prefix}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(file "${LIBDIR}/quarn/quarn" "${LIBDIR}/quarn/readme.txt" share/applications/quarn.desktop
             share/icons/hicolor/scalable/apps/quarn.svg share/mime/packages/quarn-script.xml
             "${LIBDIR}/quarn/remote" share/applications/remote.desktop
             share/icons/hicolor/scalable/apps/remote.svg)
  if(NOT EXISTS "${prefix}/${file}")
    message(FATAL_ERROR "missing after the install: ${file}")
  endif()
endforeach()
foreach(program quarn remote)
  file(STRINGS "${prefix}/share/applications/${program}.desktop" exec REGEX "^Exec=")
  if(NOT exec STREQUAL "Exec=${prefix}/${LIBDIR}/quarn/${program}")
    message(FATAL_ERROR "the desktop entry of ${program} runs the wrong program: ${exec}")
  endif()
endforeach()
file(REMOVE_RECURSE "${prefix}")
