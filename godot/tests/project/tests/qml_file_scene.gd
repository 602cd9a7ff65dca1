extends "res://tests/godot_test.gd"
## A QML scene of the game's own files on a QmlView: res://ui/hud.qml with a component beside
## it, one from a sub-folder and an image of that folder; an error names its file in res:// terms
## with its line; a change to the scene's file reloads it while the game runs.

const BLUE := Color("#0000ff")
const GREEN := Color("#00ff00")
const RED := Color("#ff0000")


func run() -> void:
	var view := ClassDB.instantiate("QmlView") as Control
	if not check(view != null, "the class QmlView exists"):
		return
	view.source = "res://ui/hud.qml"
	view.position = Vector2.ZERO
	view.size = Vector2(640, 480)
	add_child(view)
	var loaded = await wait_signal(view.scene_loaded, 60)
	if not check(loaded != null and loaded[0], "scene_loaded(true) arrives for res://ui/hud.qml"):
		return
	await expect_pixel(80, 80, GREEN, "the component beside the scene")
	await expect_pixel(400, 80, RED, "the sub-folder's component and its image")
	await expect_pixel(320, 400, BLUE, "the scene itself")

	# An error: the scene does not load, and the message names the file and the line.
	var messages := []
	view.console_message.connect(func(level: int, message: String, line: int, source: String) -> void:
		messages.append([level, message, line, source]))
	view.source = "res://ui/broken.qml"
	loaded = await wait_signal(view.scene_loaded, 60)
	check(loaded != null and not loaded[0], "scene_loaded(false) for a scene with an error")
	var error = messages.filter(func(m: Array) -> bool: return m[0] == 2).front() if not messages.is_empty() else null
	if check(error != null, "the error arrives as console_message (got %s)" % [messages]):
		check(error[3] == "res://ui/broken.qml" and error[2] == 5 and "colr" in error[1],
				"the error names res://ui/broken.qml, line 5 and the property (got %s)" % [error])

	# A missing file: refused, and said so.
	view.source = "res://ui/missing.qml"
	loaded = await wait_signal(view.scene_loaded, 60)
	check(loaded != null and not loaded[0], "scene_loaded(false) for a missing file")

	# Reloading on a change, in a copy of the scene written for this run.
	var scene := "res://ui/changing.qml"
	_write(scene, "#00ff00")
	view.source = scene
	loaded = await wait_signal(view.scene_loaded, 60)
	check(loaded != null and loaded[0], "the written scene loads")
	await expect_pixel(320, 240, GREEN, "the written scene before the change")
	await wait_frames(2)
	_write(scene, "#ff0000")
	await expect_pixel(320, 240, RED, "the scene after its file changed", 20)
	DirAccess.remove_absolute(ProjectSettings.globalize_path(scene))


func _write(path: String, colour: String) -> void:
	var file := FileAccess.open(path, FileAccess.WRITE)
	file.store_string('import QtQuick\nRectangle { width: 640; height: 480; color: "%s" }\n' % colour)
	file.close()
