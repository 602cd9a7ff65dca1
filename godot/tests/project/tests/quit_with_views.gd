extends "res://tests/godot_test.gd"
## Quitting Godot while a QML view and a web view are alive and rendering: the extension stops the
## library at its de-initialisation; the runner checks that the process ends at once and cleanly.


func run() -> void:
	var qml := ClassDB.instantiate("QmlView") as Control
	qml.size = Vector2(320, 240)
	var scene_loaded := record_signal(qml.scene_loaded)
	add_child(qml)
	var web := ClassDB.instantiate("WebView") as Control
	web.position = Vector2(320, 0)
	web.size = Vector2(320, 240)
	web.url = arguments.get("server", "") + "/colour.html"
	# The page may finish loading while the test still waits for the QML scene.
	var page_loaded := record_signal(web.load_finished)
	add_child(web)
	var scene = await wait_recorded(scene_loaded, 60)
	check(scene != null and scene[0], "the QML view loads")
	var page = await wait_recorded(page_loaded, 60)
	check(page != null and page[1], "the web view loads")
	await wait_frames(10)
