# The Debian package, made by `cpack -G DEB` from a built tree (scripts/package.sh). Its contents are
# exactly what `cmake --install` puts under /usr; the libraries it needs are computed by dpkg-shlibdeps,
# and what the program loads at run time without linking it is named here.
set(QUELBROOK_HOMEPAGE https://github.com/quelbrook/quelbrook)
set(QUELBROOK_RELEASE_DATE 2026-12-07)
set(QUELBROOK_RELEASE_DATE_RFC2822 "Mon, 07 Dec 2026 12:00:00 +0000")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_CONTACT "The Quelbrook developers <quelbrook@users.noreply.github.com>")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGE_NAME quelbrook)
set(CPACK_PACKAGE_VENDOR "The Quelbrook developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "school bell and broadcast scheduler")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUELBROOK_HOMEPAGE})
# CPack puts the summary in front as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quelbrook rings the bells and runs the broadcasts of a school or an office
from one desktop computer whose sound card drives the loudspeakers. The
operator keeps a day time table: times of day, each with a recurrence and a
response (a tone, the spoken time, the radio line-in, a play-list broadcast,
running a program, shutdown, restart or logoff). Beside it stand an hourly
chime, an alarm time, a count-down and a tray icon. The interface is in
Chinese.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time: Qt's display plugins, GStreamer's decoders and sinks (MIDI through fluidsynth,
# which needs a General MIDI soundfont), a font with the interface's Chinese characters, Qt's own
# Chinese texts for the standard dialogs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, \
gstreamer1.0-plugins-ugly, gstreamer1.0-libav, fonts-wqy-microhei | fonts-noto-cjk | fonts-wqy-zenhei, \
timgm6mb-soundfont | fluid-soundfont-gm, qt6-translations-l10n")
# The sample table's 执行程序 entry shows a desktop notification; on X11 the video sinks of
# gstreamer1.0-x draw the player's picture themselves, far cheaper than painting it as images.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libnotify-bin, gstreamer1.0-x")
include(CPack)
