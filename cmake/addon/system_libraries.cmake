# The libraries the addon folder expects of the player's machine, as regular expressions over
# the names binaries ask for (their DT_NEEDED entries). Every other library that the library,
# its plugins, its QML imports or QtWebEngineProcess load is copied into the folder.
#
# A library belongs here only if it must come from the system, because it talks to the
# machine's drivers, services or configuration and has to match them, or is security-relevant
# and must get the system's updates; and every desktop Linux has it under this name. The
# reasons per group are in docs/engine-integration.md ("What the player's machine provides");
# tools/playerroot-packages.txt installs exactly these for the test on a machine without Qt.
set(SORVANE_ADDON_SYSTEM_LIBRARIES
  # C and C++ runtime: the process's own, already loaded by the engine.
  "ld-linux-x86-64\\.so\\.2"
  "lib(c|m|dl|pthread|rt|resolv|util)\\.so\\.[0-9]+"
  "libstdc\\+\\+\\.so\\.6"
  "libgcc_s\\.so\\.1"
  # Graphics: the Vulkan loader, GL/GLX/EGL dispatch (glvnd), GBM and DRM, which belong to the
  # machine's driver.
  "libvulkan\\.so\\.1"
  "lib(GL|GLX|OpenGL|EGL|GLESv2|GLdispatch)\\.so\\.[0-9]+"
  "libgbm\\.so\\.1"
  "libdrm\\.so\\.2"
  # The X display: the client libraries of the X server or Xwayland the game draws on, and the
  # keyboard maps. (The xcb utility libraries Qt needs besides are bundled.)
  "libX11\\.so\\.6"
  "libX11-xcb\\.so\\.1"
  "libxcb\\.so\\.1"
  "libxcb-(dri2|dri3|glx|present|randr|render|shape|shm|sync|xfixes|xkb)\\.so\\.[0-9]+"
  "libX(au|dmcp|ext|fixes|render|randr|composite|damage|tst|i)\\.so\\.[0-9]+"
  "libxshmfence\\.so\\.1"
  "lib(SM|ICE)\\.so\\.6"
  "libxkbfile\\.so\\.1"
  "libxkbcommon(-x11)?\\.so\\.0"
  # Fonts: fontconfig reads the system's fonts and font configuration.
  "libfontconfig\\.so\\.1"
  "libfreetype\\.so\\.6"
  "libexpat\\.so\\.1"
  # Sound: the client libraries of the machine's sound system.
  "libasound\\.so\\.2"
  "libpulse\\.so\\.0"
  # System services: the D-Bus client and GLib, which carry the desktop's settings and modules.
  "libdbus-1\\.so\\.3"
  "libsystemd\\.so\\.0"
  "lib(glib|gobject|gio|gmodule)-2\\.0\\.so\\.0"
  "lib(ffi\\.so\\.8|pcre2-8\\.so\\.0|mount\\.so\\.1|blkid\\.so\\.1|selinux\\.so\\.1|uuid\\.so\\.1|cap\\.so\\.2)"
  # Security: certificates and TLS, which must get the system's updates (NSS also reads the
  # system's certificate store).
  "lib(nss3|nssutil3|smime3|nspr4|plc4|plds4)\\.so"
  "lib(ssl|crypto)\\.so\\.3"
  "libgnutls\\.so\\.30"
  "lib(nettle\\.so\\.8|hogweed\\.so\\.6|gmp\\.so\\.10|tasn1\\.so\\.6|p11-kit\\.so\\.0|idn2\\.so\\.0|unistring\\.so\\.5)"
  "lib(gssapi_krb5\\.so\\.2|krb5\\.so\\.3|k5crypto\\.so\\.3|com_err\\.so\\.2|krb5support\\.so\\.0|keyutils\\.so\\.1)"
  # Compression that the base system itself is built on.
  "lib(z\\.so\\.1|lzma\\.so\\.5|zstd\\.so\\.1)"
)
