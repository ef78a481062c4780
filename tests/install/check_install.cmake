# Installs the build BUILD into a fresh prefix and checks that a desktop finds the programs there:
# quarn, tolvane, kestrel and remote in their program directory, their desktop entries naming them, the
# icons, the script type, and ".scp" files opening in tolvane.
set(prefix "${BUILD}/install-check")
file(REMOVE_RECURSE "${prefix}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${prefix}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(file "${LIBDIR}/quarn/quarn" "${LIBDIR}/quarn/tolvane" "${LIBDIR}/quarn/remote" "${LIBDIR}/quarn/kestrel"
             "${LIBDIR}/quarn/readme.txt" share/applications/quarn.desktop
             share/applications/tolvane.desktop share/applications/remote.desktop share/applications/kestrel.desktop
             share/icons/hicolor/scalable/apps/quarn.svg
             share/icons/hicolor/scalable/apps/tolvane.svg
             share/icons/hicolor/scalable/apps/remote.svg
             share/icons/hicolor/scalable/apps/kestrel.svg share/mime/packages/quarn-script.xml)
  if(NOT EXISTS "${prefix}/${file}")
    message(FATAL_ERROR "missing after the install: ${file}")
  endif()
endforeach()
foreach(program quarn tolvane remote kestrel)
  file(STRINGS "${prefix}/share/applications/${program}.desktop" exec REGEX "^Exec=")
  if(NOT exec MATCHES "^Exec=${prefix}/${LIBDIR}/quarn/${program}( %F)?$")
    message(FATAL_ERROR "the desktop entry of ${program} runs the wrong program: ${exec}")
  endif()
endforeach()
# The type tolvane's entry opens is the one the script type defines for "*.scp".
file(READ "${prefix}/share/mime/packages/quarn-script.xml" mime)
string(REGEX MATCH "mime-type type=\"([^\"]+)\"" _ "${mime}")
set(type "${CMAKE_MATCH_1}")
if(type STREQUAL "" OR NOT mime MATCHES "<glob pattern=\"\\*\\.scp\"/>")
  message(FATAL_ERROR "the script type does not claim *.scp")
endif()
file(READ "${prefix}/share/applications/tolvane.desktop" entry)
if(NOT entry MATCHES "\nMimeType=([^\n]*;)?${type};")
  message(FATAL_ERROR "tolvane's desktop entry does not open ${type}")
endif()
file(REMOVE_RECURSE "${prefix}")
