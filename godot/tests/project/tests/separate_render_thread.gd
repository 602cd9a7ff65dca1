extends "res://tests/godot_test.gd"
## godot-arguments: --render-thread separate
## known-messages: VUID-vkDestroyDevice-device-05137|VUID-vkDestroyInstance-instance-00629|ObjectDB instances leaked at exit
## The smoke scene with Godot's rendering on a thread of its own: a QML scene, a web page, a clip
## and a camera view load and show in Godot's window, one view is freed and another resized while
## they render, and Godot quits with the rest alive. The views' Vulkan work happens on Godot's
## render thread, so the runner sees no threading or validation message of theirs.
##
## Godot 4.6.3 itself never destroys its device at the exit with a separate render thread (it
## refuses to finalise it off that thread: "This function (finalize) can only be called from the
## render thread"), so the validation layer reports the device and its objects as leaked, and
## Godot its own objects; an empty project without this extension shows the same. Those messages
## are known here. With the views destroyed on the render thread before, the count of leaked
## objects is the same as the empty project's (measured: 38 with lavapipe).

const DEBUG_BACKGROUND := Color("#202020")
const PAGE_COLOUR := Color("#3366cc")
const GREEN := Color("#00ff00")


func run() -> void:
	var render_thread := [0]
	RenderingServer.call_on_render_thread(func() -> void: render_thread[0] = OS.get_thread_caller_id())
	await wait_frames(3)
	check(render_thread[0] != 0 and render_thread[0] != OS.get_main_thread_id(),
		"Godot renders on a thread of its own (render thread %d, main %d)" % [render_thread[0], OS.get_main_thread_id()])
	var views := smoke_views()
	var qml: Control = views.qml
	var web: Control = views.web
	var video: Control = views.video
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
	qml.move_to_front()
	await wait_signal(qml.texture_changed, 20)
	await expect_pixel(100, 400, DEBUG_BACKGROUND, "the resized QML scene")
	await expect_pixel(480, 120, PAGE_COLOUR, "the page after the others changed")
