# The Debian package of the program and its desktop files: `cpack --preset deb` after
# building the package preset (a release build without the tests). Shared-library
# dependencies are computed by dpkg-shlibdeps; the libraries the program loads only when it
# needs them, and the data it looks for at run time, are named here.
set(PLINKARO_PACKAGE_MAINTAINER "Plinkaro developers" CACHE STRING
  "The Debian package's maintainer, \"Name <address>\"")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plinkaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${PLINKARO_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# FluidSynth, loaded when the synthesizer first opens (2.2.0 for fluid_synth_pin_preset, the
# newest function the program calls); the General MIDI soundfont the synthesizer plays by
# default, the Japanese gothic face of the rows' text and the message boxes' face.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libfluidsynth3 (>= 2.2.0), fluid-soundfont-gm, fonts-ipafont-gothic, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "play MIDI on the computer keyboard and play MIDI files
Plinkaro turns the computer keyboard into a playable MIDI instrument and plays
Standard MIDI Files. Its one window shows sixteen piano strips, one per MIDI
channel, on which every sounding note lights up. It plays through a built-in
General MIDI synthesizer (FluidSynth) or sends its MIDI to other programs and
hardware through ALSA or JACK; a MIDI keyboard plays through it too, and F7
records everything played into a Standard MIDI File.")
include(CPack)
