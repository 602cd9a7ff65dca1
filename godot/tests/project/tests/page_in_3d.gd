extends "res://tests/godot_test.gd"
## A page on a screen in a 3D world: the view's texture in an unshaded 3D material shows the
## page's colour as 2D drawing does (Godot decodes the sRGB-encoded values for 3D), and a click
## and typed keys, sent through the UV where a physics ray hits the screen, reach the page at that
## point.

const PAGE_COLOUR := Color("#3366cc")
const CLICKED_COLOUR := Color("#33cc66")
# The screen: a quad of this size right of the window's centre; the page is drawn in 2D on the
# left half of the window.
const SCREEN_SIZE := Vector2(2.0, 1.5)
const SCREEN_POSITION := Vector3(1.5, 0, 0)

var _camera: Camera3D
var _screen: MeshInstance3D


func run() -> void:
	var view := ClassDB.instantiate("WebView") as Control
	view.size = Vector2(320, 480)
	view.url = arguments.get("server", "") + "/colour.html"
	add_child(view)
	var finished = await wait_signal(view.load_finished, 60)
	if not check(finished != null and finished[1], "the page loads (got %s)" % [finished]):
		return

	_camera = Camera3D.new()
	_camera.position = Vector3(0, 0, 3)
	add_child(_camera)
	_camera.make_current()
	_screen = MeshInstance3D.new()
	var quad := QuadMesh.new()
	quad.size = SCREEN_SIZE
	_screen.mesh = quad
	_screen.position = SCREEN_POSITION
	var material := StandardMaterial3D.new()
	material.shading_mode = BaseMaterial3D.SHADING_MODE_UNSHADED
	material.albedo_texture = view.texture_3d
	_screen.material_override = material
	var body := StaticBody3D.new()
	var shape := CollisionShape3D.new()
	var box := BoxShape3D.new()
	box.size = Vector3(SCREEN_SIZE.x, SCREEN_SIZE.y, 0.01)
	shape.shape = box
	body.add_child(shape)
	_screen.add_child(body)
	add_child(_screen)
	await get_tree().physics_frame
	await get_tree().physics_frame

	var centre := Vector2i(_camera.unproject_position(SCREEN_POSITION))
	await expect_pixel(160, 240, PAGE_COLOUR, "the page drawn in 2D")
	await expect_pixel(centre.x, centre.y, PAGE_COLOUR, "the page on the 3D screen, unshaded")
	var flat := await pixel(160, 240)
	var seen := await pixel(centre.x, centre.y)
	check(same_colour(flat, seen, 0.02), "3D and 2D show the same colour (2D #%s, 3D #%s)" % [flat.to_html(false), seen.to_html(false)])

	# A click through the 3D hit at the page's point (100, 120). The page may report it while
	# the click is still being sent, so the titles are recorded from before it.
	var titles: Array[String] = []
	view.title_changed.connect(func(t: String) -> void: titles.append(t))
	for attempt in 3:
		await click_on_screen(view, Vector2(100, 120))
		if await wait_until(func() -> bool: return not titles.is_empty(), 8):
			if attempt > 0:
				print("NOTE: the click reached the page at attempt %d" % (attempt + 1))
			break
	check(titles == ["clicked 100,120"], "the click through the 3D hit lands at the same point of the page (titles %s)" % [titles])
	await expect_pixel(centre.x, centre.y, CLICKED_COLOUR, "the 3D screen after the click")

	# Typing into the page's field, clicked through the screen.
	await click_on_screen(view, Vector2(60, 310))
	for character in "hi":
		for pressed in [true, false]:
			var key := InputEventKey.new()
			key.keycode = OS.find_keycode_from_string(character.to_upper())
			key.unicode = character.unicode_at(0)
			key.pressed = pressed
			check(view.push_input_at_uv(key, Vector2.ZERO), "the view takes a key through push_input_at_uv")
		await wait_frames(1)
	var typed: String = await field_value(view, "field", "hi")
	check(typed == "hi", "keys typed at the 3D screen reach the field (it holds '%s')" % typed)

	var outside := InputEventMouseButton.new()
	outside.button_index = MOUSE_BUTTON_LEFT
	outside.pressed = true
	check(not view.push_input_at_uv(outside, Vector2(1.5, 0.5)), "a click outside the texture (UV 1.5) is refused")


## Clicks the page's point `at` (in page pixels) the way a game does: the window point where the
## screen shows it, a physics ray from the camera through that point, the UV of the hit.
func click_on_screen(view: Control, at: Vector2) -> void:
	var uv_wanted := (at + Vector2(0.5, 0.5)) / view.size
	var local := Vector3((uv_wanted.x - 0.5) * SCREEN_SIZE.x, (0.5 - uv_wanted.y) * SCREEN_SIZE.y, 0)
	var window_point := _camera.unproject_position(_screen.to_global(local))
	var from := _camera.project_ray_origin(window_point)
	var to := from + _camera.project_ray_normal(window_point) * 100.0
	var hit := get_viewport().world_3d.direct_space_state.intersect_ray(PhysicsRayQueryParameters3D.create(from, to))
	if not check(not hit.is_empty(), "the ray through %s hits the screen" % window_point):
		return
	var hit_local: Vector3 = _screen.to_local(hit.position)
	var uv := Vector2(hit_local.x / SCREEN_SIZE.x + 0.5, 0.5 - hit_local.y / SCREEN_SIZE.y)
	var motion := InputEventMouseMotion.new()
	view.push_input_at_uv(motion, uv)
	for pressed in [true, false]:
		var button := InputEventMouseButton.new()
		button.button_index = MOUSE_BUTTON_LEFT
		button.pressed = pressed
		check(view.push_input_at_uv(button, uv), "the view takes a button through push_input_at_uv")
		await wait_frames(2)
