extends "res://tests/godot_test.gd"
## A ScreenCaptureView of the X screen that Godot's own window lies on: a magenta band that Godot
## draws at the top of its window comes back, scaled down, through the capture into the view
## below it. Also the list of physical screens, and switching the capture off and on.

const BAND := Color("#ff00ff")
const SCREEN_SIZE := Vector2(1280, 720)  # the tests' Xvfb screen
const VIEW_RECT := Rect2(0, 120, 640, 360)  # 16:9 like the screen: half its size


func run() -> void:
	var band := ColorRect.new()
	band.color = BAND
	band.position = Vector2.ZERO
	band.size = Vector2(640, 120)
	add_child(band)

	var view := ClassDB.instantiate("ScreenCaptureView") as Control
	if not check(view != null, "the class ScreenCaptureView exists"):
		return
	check(view.active and view.physical_screen == "", "a new view captures the primary screen")
	check(view.get_physical_screens().is_empty(), "no screens are listed while the view is outside the tree")
	view.position = VIEW_RECT.position
	view.size = VIEW_RECT.size
	var loaded := record_signal(view.scene_loaded)
	add_child(view)
	var result = await wait_recorded(loaded, 60)
	if not check(result != null and result[0], "scene_loaded(true) arrives (got %s)" % [result]):
		return

	var screens: Array = view.get_physical_screens()
	check(screens.size() == 1 and screens[0] is Dictionary and screens[0].get("virtualSize") == "1280x720"
		and screens[0].get("isLandscape") == "true",
		"one landscape screen of 1280x720 is listed (got %s)" % [screens])

	# Where the band's middle lies on the screen, and so in the view (the screen at half size).
	var window_at := Vector2(DisplayServer.window_get_position())
	var scale := VIEW_RECT.size.x / SCREEN_SIZE.x
	var on_screen := window_at + Vector2(320, 60)
	var in_window := VIEW_RECT.position + on_screen * scale
	await expect_pixel(int(in_window.x), int(in_window.y), BAND,
		"the band, captured from the screen (window at %s)" % window_at, 30)

	# Off: the picture stays as it was; on again: it follows the screen.
	view.active = false
	check(not view.active, "active follows the setter")
	band.color = Color.YELLOW
	await wait_frames(30)
	var frozen := await pixel(int(in_window.x), int(in_window.y))
	check(same_colour(frozen, BAND), "with the capture off the view keeps its last picture (#%s)" % frozen.to_html(false))
	view.active = true
	await expect_pixel(int(in_window.x), int(in_window.y), Color.YELLOW, "the band's new colour once the capture runs again", 30)
