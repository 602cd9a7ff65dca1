extends "res://tests/godot_test.gd"
## A CameraView on a machine without any camera: the library's camera scene is drawn in Godot's
## window (its black, where no camera picture is), the missing camera is reported as
## error_occurred on the main thread, each new hint asks again, and the camera's properties
## answer their defaults while the settings set on the node are kept.

const SCENE_BLACK := Color("#000000")
const BACKDROP := Color("#3080a0")


func run() -> void:
	var backdrop := ColorRect.new()
	backdrop.color = BACKDROP
	backdrop.size = Vector2(640, 480)
	add_child(backdrop)

	var view := ClassDB.instantiate("CameraView") as Control
	if not check(view != null, "the class CameraView exists"):
		return
	check(view.camera_hint == "" and view.autoplay and view.fill_mode == view.FILL_FIT,
		"a new camera view chooses the first camera, plays by itself and fits the picture")
	view.fill_mode = 7
	check(view.fill_mode == view.FILL_CROP, "fill_mode keeps to the three modes (7 gives %d)" % view.fill_mode)
	view.fill_mode = view.FILL_STRETCH
	view.zoom_factor = 2.5
	view.camera_focus_mode = view.FOCUS_MODE_MANUAL
	view.color_temperature = 5600
	check(is_equal_approx(view.zoom_factor, 2.5) and view.camera_focus_mode == view.FOCUS_MODE_MANUAL
		and view.color_temperature == 5600,
		"settings made outside the tree are kept until a camera takes them")
	check(view.focus_mode == Control.FOCUS_ALL, "the camera's focus mode leaves the control's keyboard focus alone")
	view.position = Vector2(0, 0)
	view.size = Vector2(320, 240)

	var errors: Array = []
	var off_main := [0]
	view.error_occurred.connect(func(code: int, message: String) -> void:
		if OS.get_thread_caller_id() != OS.get_main_thread_id():
			off_main[0] += 1
		errors.append([code, message]))
	var loaded := record_signal(view.scene_loaded)
	add_child(view)

	var result = await wait_recorded(loaded, 60)
	if not check(result != null and result[0], "scene_loaded(true) arrives (got %s)" % [result]):
		return
	check(await wait_until(func() -> bool: return errors.size() >= 1, 10),
		"error_occurred arrives for the missing camera")
	check(errors.size() >= 1 and errors[0] == [view.ERROR_CAMERA, "no cameras found"],
		"the error is (ERROR_CAMERA, \"no cameras found\") (got %s)" % [errors])
	check(off_main[0] == 0, "error_occurred comes on the main thread")
	check(view.texture is Texture2D, "texture is a Texture2D once loaded")

	# The scene's black over the view's area, Godot's own drawing beside it.
	await expect_pixel(160, 120, SCENE_BLACK, "the camera scene inside the view")
	await expect_pixel(480, 360, BACKDROP, "Godot's backdrop beside the view")
	await expect_pixel(318, 238, SCENE_BLACK, "the view's bottom-right corner")

	# Without a camera the camera answers its defaults; nothing starts.
	check(not view.active and not view.available and view.error == view.ERROR_NONE,
		"no camera: inactive, unavailable, no error of a camera (active %s, available %s, error %d)" % [view.active, view.available, view.error])
	check(view.zoom_factor == 0.0 and view.maximum_zoom_factor == 0.0 and view.focus_point == Vector2.ZERO,
		"no camera: the readings are zero (zoom %f, max %f, focus point %s)" % [view.zoom_factor, view.maximum_zoom_factor, view.focus_point])
	check(not view.is_focus_mode_supported(view.FOCUS_MODE_AUTO), "no camera supports no mode")
	view.start()
	view.zoom_to(2.0, 1.0)
	view.set_auto_exposure_time()
	await wait_frames(5)
	check(not view.active, "start() without a camera leaves it inactive")

	# Each hint runs the choice again.
	view.camera_hint = "usb"
	check(await wait_until(func() -> bool: return errors.size() >= 2, 10),
		"a new hint looks for the camera again (errors %s)" % [errors])
	check(view.camera_hint == "usb", "camera_hint keeps the hint")

	# The view follows a resize and keeps drawing.
	view.size = Vector2(640, 480)
	await wait_signal(view.texture_changed, 20)
	await expect_pixel(480, 360, SCENE_BLACK, "the resized view")
