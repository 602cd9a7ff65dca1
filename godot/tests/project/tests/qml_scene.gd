extends "res://tests/godot_test.gd"
## A QML scene of the built-in Debug module on a QmlView: its pixels in Godot's window, and a
## mouse button held through Godot's input reaching the scene.

# DebugMouse's documented layout: background #202020, the left button's box at x 8..39,
# y 8..39, #00ff00 while the button is held and #404040 otherwise, a red crosshair through the
# mouse position.
const BACKGROUND := Color("#202020")
const HELD := Color("#00ff00")
const RELEASED := Color("#404040")


func run() -> void:
	var view := ClassDB.instantiate("QmlView") as Control
	check(view != null, "the class QmlView exists")
	if view == null:
		return
	view.module = "Debug"
	view.scene = "DebugMouse"
	view.position = Vector2.ZERO
	view.size = Vector2(640, 480)
	add_child(view)
	var loaded = await wait_signal(view.scene_loaded, 60)
	if not check(loaded != null and loaded[0], "scene_loaded(true) arrives"):
		return
	check(view.texture is Texture2D, "texture is a Texture2D once loaded")
	await expect_pixel(400, 300, BACKGROUND, "the scene's background")
	await expect_pixel(30, 30, RELEASED, "the left button's box before the click")

	var at := Vector2(20, 20)
	var motion := InputEventMouseMotion.new()
	motion.position = at
	motion.global_position = at
	Input.parse_input_event(motion)
	mouse_button(at, true)
	await expect_pixel(30, 30, HELD, "the left button's box while held")
	await expect_pixel(20, 200, Color.RED, "the crosshair's column at the mouse's x")
	mouse_button(at, false)
	await expect_pixel(30, 30, RELEASED, "the left button's box after the release")
