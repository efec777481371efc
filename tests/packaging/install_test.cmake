# Installs the build into a scratch root as the package does, then runs the installed
# command-line tool on the installed demo image. Needs BUILD_DIR and ROOT.
file(REMOVE_RECURSE ${ROOT})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${ROOT}
                        ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install into ${ROOT} failed: ${rc}")
endif()

foreach(f bin/velo-igx bin/igx1-sim share/velo-igx/Velo_IGX.cfg
          share/velo-igx/IGX_3D_3Bar_Timing_Chart.oc3 share/velo-igx/Velo_IGX_Help.html
          share/applications/org.example.orvane.velo_igx.desktop
          share/metainfo/org.example.orvane.velo_igx.metainfo.xml
          share/icons/hicolor/64x64/apps/velo-igx.png share/velo-igx/guide/main_3d.png
          share/man/man1/velo-igx-cli.1.gz share/doc/velo-igx/copyright)
  if(NOT EXISTS ${ROOT}/usr/${f})
    message(FATAL_ERROR "not installed: /usr/${f}")
  endif()
endforeach()

execute_process(COMMAND ${ROOT}/usr/bin/velo-igx-cli show ${ROOT}/usr/share/velo-igx/demo_3d.dat
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Trig Timing +38 deg" OR NOT out MATCHES "Timing Table +3D Timing Table")
  message(FATAL_ERROR "installed velo-igx-cli show: exit ${rc}\n${out}${err}")
endif()

# What only prints needs no display: a platform that cannot start is never asked.
foreach(option --help --version --no-such)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                          QT_QPA_PLATFORM=none ${ROOT}/usr/bin/velo-igx ${option}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc MATCHES "^[01]$" OR NOT "${out}${err}" MATCHES "no-splash|Velo_IGX_Main 1.0|Unknown option")
    message(FATAL_ERROR "installed velo-igx ${option} without a display: exit ${rc}\n${out}${err}")
  endif()
endforeach()
