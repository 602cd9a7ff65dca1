// Not a scene: it names, for the import scanner that decides which QML modules go into the addon
// folder, the modules that Qt's own code imports at run time and no scene of the library names.
import QtQuick
// The web view's context menus, dialogs and pickers.
import QtWebEngine.ControlsDelegates

Item {}
