extends "res://tests/godot_test.gd"
## Nodes freed while their views load, and one freed right after entering the tree: nothing hangs
## or crashes, and a view made afterwards still loads and draws.


func run() -> void:
	for round in 3:
		var page := ClassDB.instantiate("WebView") as Control
		page.size = Vector2(320, 240)
		page.url = arguments.get("server", "") + "/colour.html"
		add_child(page)
		var scene := ClassDB.instantiate("QmlView") as Control
		scene.size = Vector2(320, 240)
		add_child(scene)
		await wait_frames(round)
		page.queue_free()
		scene.queue_free()
		await wait_frames(2)

	var view := ClassDB.instantiate("QmlView") as Control
	view.module = "Debug"
	view.scene = "DebugMouse"
	view.size = Vector2(640, 480)
	add_child(view)
	var loaded = await wait_signal(view.scene_loaded, 60)
	check(loaded != null and loaded[0], "a view made after the freed ones loads")
	await expect_pixel(400, 300, Color("#202020"), "the view made after the freed ones")
