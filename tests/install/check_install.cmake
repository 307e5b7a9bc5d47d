# Installs the build into a fresh prefix and checks that everything lands
# where a Linux desktop and a shell look for it.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DGUI=ON|OFF -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected bin/pelloran-clean share/man/man1/pelloran-clean.1)
if(GUI)
  list(APPEND expected bin/pelloran share/applications/pelloran.desktop
                       share/icons/hicolor/scalable/apps/pelloran.svg
                       share/pelloran/help/HELP1.html)
endif()
foreach(path IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

# The installed batch command runs from its new place.
execute_process(COMMAND "${PREFIX}/bin/pelloran-clean" --help RESULT_VARIABLE result
                OUTPUT_VARIABLE help)
if(NOT result EQUAL 0 OR NOT help MATCHES "Usage: pelloran-clean")
  message(FATAL_ERROR "the installed pelloran-clean does not run: ${result}")
endif()

# The manual page reads as one: its sections and every option of --help.
execute_process(COMMAND "${CMAKE_COMMAND}" -E env LC_ALL=C MANPAGER=cat PAGER=cat MANWIDTH=100
                        man -l "${PREFIX}/share/man/man1/pelloran-clean.1"
                RESULT_VARIABLE result OUTPUT_VARIABLE manual ERROR_QUIET)
foreach(part "NAME" "pelloran-clean - clean web pages" "SYNOPSIS" "DESCRIPTION" "--dry-run"
             "--restore" "--keep-only" "Exit status" "EXAMPLES")
  string(FIND "${manual}" "${part}" found)
  if(NOT result EQUAL 0 OR found EQUAL -1)
    message(FATAL_ERROR "the manual page lacks ${part} (man: ${result})")
  endif()
endforeach()

if(GUI)
  # The entry starts the installed program and names the installed icon.
  file(STRINGS "${PREFIX}/share/applications/pelloran.desktop" entry)
  foreach(line "[Desktop Entry]" "Type=Application" "Exec=pelloran" "Icon=pelloran")
    list(FIND entry "${line}" found)
    if(found EQUAL -1)
      message(FATAL_ERROR "pelloran.desktop lacks the line ${line}")
    endif()
  endforeach()
  file(READ "${PREFIX}/share/icons/hicolor/scalable/apps/pelloran.svg" icon)
  if(NOT icon MATCHES "<svg[^>]*viewBox=")
    message(FATAL_ERROR "pelloran.svg is no scalable picture")
  endif()
endif()
file(REMOVE_RECURSE "${PREFIX}")
