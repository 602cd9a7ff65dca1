extends "res://tests/godot_test.gd"
## godot-arguments: --render-thread separate
## The smoke scene with Godot's rendering on a thread of its own: a QML scene, a web page, a clip
## and a camera view load and show in Godot's window, one view is freed and another resized while
## they render, and Godot quits with the rest alive. The views' Vulkan work happens on Godot's
## render thread, so the runner sees no threading or validation message and no leak at exit.

const DEBUG_BACKGROUND := Color("#202020")
const PAGE_COLOUR := Color("#3366cc")
const GREEN := Color("#00ff00")


func run() -> void:
	check(OS.get_cmdline_args().has("--render-thread"), "Godot runs with --render-thread separate")
	var qml := ClassDB.instantiate("QmlView") as Control
	qml.module = "Debug"
	qml.scene = "DebugMouse"
	qml.size = Vector2(320, 240)
	var web := ClassDB.instantiate("WebView") as Control
	web.url = arguments.get("server", "") + "/colour.html"
	web.position = Vector2(320, 0)
	web.size = Vector2(320, 240)
	var video := ClassDB.instantiate("VideoPlayer") as Control
	video.source = "res://media/clip.mp4"
	video.muted = true
	video.loops = -1
	video.fill_mode = video.FILL_STRETCH
	video.position = Vector2(0, 240)
	video.size = Vector2(320, 240)
	var camera := ClassDB.instantiate("CameraView") as Control
	camera.position = Vector2(320, 240)
	camera.size = Vector2(320, 240)
	var page_loaded := record_signal(web.load_finished)
	var camera_loaded := record_signal(camera.scene_loaded)
	for view in [qml, web, video, camera]:
		add_child(view)

	var page = await wait_recorded(page_loaded, 60)
	check(page != null and page[1], "the page loads")
	var scene = await wait_recorded(camera_loaded, 60)
	check(scene != null and scene[0], "the camera scene loads")
	await expect_pixel(100, 100, DEBUG_BACKGROUND, "the QML scene")
	await expect_pixel(480, 120, PAGE_COLOUR, "the page")
	await expect_pixel(300, 460, GREEN, "the clip")
	await expect_pixel(480, 360, Color.BLACK, "the camera scene")

	# A view freed while the others render, another one resized.
	camera.queue_free()
	qml.size = Vector2(320, 480)
	await wait_signal(qml.texture_changed, 20)
	await expect_pixel(100, 400, DEBUG_BACKGROUND, "the resized QML scene")
	await expect_pixel(480, 120, PAGE_COLOUR, "the page after the others changed")
